#include "command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/hresult_error.h"
#include "support/code_page_switch.h"

namespace {

// argv for the arguments after the program path (copyable: argv() points into this copy).
class Arguments {
 public:
  Arguments(std::initializer_list<const char*> arguments) : strings_{"regweave"} {
    for (const char* argument : arguments) strings_.push_back(argument);
  }
  int argc() const { return int(strings_.size()); }
  char** argv() {
    pointers_.clear();
    for (std::string& text : strings_) pointers_.push_back(&text[0]);
    pointers_.push_back(nullptr);
    return pointers_.data();
  }

 private:
  std::vector<std::string> strings_;
  std::vector<char*> pointers_;
};

enum class Expected { kMachine, kUser, kMissing };

const char* Describe(Expected expected) {
  return expected == Expected::kMachine ? "machine" : expected == Expected::kUser ? "user" : "none";
}

Expected ScopeOf(Arguments arguments) {
  try {
    return ScopeFromSwitches(arguments.argc(), arguments.argv()) == PolicyScope::Machine
               ? Expected::kMachine
               : Expected::kUser;
  } catch (const HresultError& error) {
    EXPECT_EQ(error.value, E_INVALIDARG);
    return Expected::kMissing;
  }
}

struct ScopeRow {
  const char* name;
  Arguments arguments;
  Expected scope;
};

void CheckScopes(std::vector<ScopeRow> rows, const char* code_page) {
  for (ScopeRow& row : rows) {
    EXPECT_STREQ(Describe(ScopeOf(row.arguments)), Describe(row.scope))
        << row.name << " in " << code_page;
  }
}

std::vector<ScopeRow> ScopeRows() {
  return {
      {"machine", {"t", "s", "/machine"}, Expected::kMachine},
      {"user in capitals", {"t", "s", "/USER"}, Expected::kUser},
      {"mixed case", {"t", "s", "/MaChInE"}, Expected::kMachine},
      {"first hit wins", {"t", "s", "/user", "/machine"}, Expected::kUser},
      {"after other switches", {"t", "s", "/abs", "/local", "/x", "/machine"}, Expected::kMachine},
      {"as target or source only", {"/user", "/machine"}, Expected::kMissing},
      {"no switch", {"t", "s"}, Expected::kMissing},
      {"only /abs", {"t", "s", "/abs"}, Expected::kMissing},
      {"prefix is not enough", {"t", "s", "/users"}, Expected::kMissing},
      {"shorter is not enough", {"t", "s", "/use"}, Expected::kMissing},
      {"no slash", {"t", "s", "user"}, Expected::kMissing},
  };
}

TEST(CommandLineTest, ScopeSwitches) {
  CheckScopes(ScopeRows(), "the process's code page");
}

TEST(CommandLineTest, ScopeSwitchesUnderGbk) {
  REQUIRE_CODE_PAGE(936);
  CheckScopes(ScopeRows(), "936");
  // A double-byte character whose trail byte is a letter is not that letter.
  CheckScopes({{"trail byte U",
                {"t", "s",
                 "/\x81U"
                 "ser"},
                Expected::kMissing},
               {"trail byte after a full switch", {"t", "s", "/use\x81r"}, Expected::kMissing}},
              "936");
}

TEST(CommandLineTest, OtherSwitches) {
  struct Row {
    const char* name;
    Arguments arguments;
    bool usage, absolute, local, what_if;
  } rows[] = {
      {"usage", {"/?"}, true, false, false, false},
      {"usage among others", {"/?", "s"}, false, false, false, false},
      {"absolute", {"t", "s", "/ABS", "/user"}, false, true, false, false},
      {"absolute only as argument 3", {"t", "s", "/user", "/abs"}, false, false, false, false},
      {"absolute as source", {"t", "/abs", "/user"}, false, false, false, false},
      {"local after scope", {"t", "s", "/user", "/Local"}, false, false, true, false},
      {"local before scope", {"t", "s", "/local", "/user"}, false, false, true, false},
      {"local as target", {"/local", "s", "/user"}, false, false, false, false},
      {"whatif in any case", {"t", "s", "/user", "/WhatIf"}, false, false, false, true},
      {"whatif as source", {"t", "/whatif", "/user"}, false, false, false, false},
      {"whatif within an argument", {"t", "s", "/user", "/whatif2"}, false, false, false, false},
  };
  for (Row& row : rows) {
    EXPECT_EQ(IsUsageRequest(row.arguments.argc(), row.arguments.argv()), row.usage) << row.name;
    EXPECT_EQ(IsSourceAbsolute(row.arguments.argc(), row.arguments.argv()), row.absolute)
        << row.name;
    EXPECT_EQ(HasLocalSwitch(row.arguments.argc(), row.arguments.argv()), row.local) << row.name;
    EXPECT_EQ(HasWhatIfSwitch(row.arguments.argc(), row.arguments.argv()), row.what_if) << row.name;
  }
}

}  // namespace
