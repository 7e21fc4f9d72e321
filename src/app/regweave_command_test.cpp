// The command line of the built program, run as a user would run it.
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/test_locale.h"
#include "support/process_runner.h"

namespace {

const char kUsage[] =
    "Imports a REG fragment into a named Group Policy Object.\n\n"
    "REGWEAVE target source [/abs] /machine | /user [/local]\n\n"
    "  target    Specifies the GPO to update.\n"
    "  source    Specifies the REG fragment to use.\n"
    "  /abs      Specified the REG fragment is an absolute path.\n"
    "  /machine  Specifies that HKEY_LOCAL_MACHINE is valid.\n"
    "  /user     Specifies that HKEY_CURRENT_USER is valid.\n"
    "  /local    Specified that the AD on the local server will be used.\n"
    "  /export   Specifies that the GPO is written to source as a REG fragment.\n"
    "  /whatif   Specifies that the changes are listed and the GPO is not saved.\n"
    "\n"
    "REGWEAVE /?\n"
    "  /?        Displays usage.\n\n";
const char kSyntax[] = "The syntax of the command is incorrect.\n";
const char kMissingScope[] = "Error occured. hr=0x80070057\n";
// No fragment exists where these requests look, so every complete request ends there, before
// the directory is asked anything.
const char kFragmentMissing[] = "Error occured. hr=0x80070002\n";

std::string ProgramFolder() {
  std::string program = REGWEAVE_PROGRAM;
  return program.substr(0, program.rfind('/') + 1);
}

// What "/local" prints before "Processing...": nothing when the name fits the 20-byte buffer.
std::string LocalNameMessage() {
  char host[HOST_NAME_MAX + 1] = {};
  gethostname(host, sizeof host - 1);
  std::string name = host;
  name = name.substr(0, name.find('.'));
  return name.size() < 20 ? "" : "Unable to get local computer name, using global AD\n";
}

// What a run without "/local" prints first here, where no domain is configured.
const char kNoPdcEmulator[] = "Unable to locate the PDC emulator, using global AD\n";

std::string Progress(const std::string& target, const std::string& source) {
  return "Processing...\n  GPO Name: " + target + "\n  REG Fragment: " + source + "\n";
}

class CommandTest : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/regweave-command-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { rmdir(folder_.c_str()); }

  // Runs the program with argv[0] as given and the rest of the arguments, in folder_, on a
  // computer that belongs to no domain: no Kerberos realm, ticket or LDAP server configured.
  ProcessResult Run(const std::string& argv0, std::vector<std::string> arguments,
                    std::vector<std::string> environment = {"LC_ALL=C"}) {
    arguments.insert(arguments.begin(), argv0);
    environment.insert(environment.end(), {"KRB5_CONFIG=/dev/null", "LDAPNOINIT=1",
                                           "KRB5CCNAME=FILE:/nonexistent/ccache"});
    return RunProcess({REGWEAVE_PROGRAM, arguments, environment, folder_});
  }

  std::string folder_;
};

struct Row {
  const char* name;
  std::vector<std::string> arguments;
  std::string output;
  int status;
};

TEST_F(CommandTest, UsageSyntaxAndMissingScope) {
  const Row rows[] = {
      {"no argument", {}, kSyntax, 0},
      {"one argument", {"Policy"}, kSyntax, 0},
      {"usage", {"/?"}, kUsage, 0},
      {"usage among two arguments", {"/?", "f.reg"}, kMissingScope, 87},
      {"no scope switch", {"Some Policy", "f.reg"}, kMissingScope, 87},
      {"/abs and no scope switch", {"Some Policy", "f.reg", "/abs"}, kMissingScope, 87},
      {"scope switch as source", {"Some Policy", "/user"}, kMissingScope, 87},
      {"export beside whatif", {"P", "f.reg", "/user", "/EXPORT", "/whatif"}, kMissingScope, 87},
  };
  for (const Row& row : rows) {
    ProcessResult result = Run(REGWEAVE_PROGRAM, row.arguments);
    EXPECT_EQ(result.output, row.output) << row.name;
    EXPECT_EQ(result.exit_status, row.status) << row.name;
  }
}

TEST_F(CommandTest, ProgressLinesAndSourceCompletion) {
  const std::string folder = ProgramFolder();
  struct PathRow {
    const char* name;
    std::string argv0;
    std::vector<std::string> arguments;
    std::string output;
  } rows[] = {
      {"program folder",
       REGWEAVE_PROGRAM,
       {"Some Policy", "f.reg", "/USER"},
       kNoPdcEmulator + Progress("Some Policy", folder + "f.reg")},
      {"absolute as typed",
       REGWEAVE_PROGRAM,
       {"P", "rel/f.reg", "/Abs", "/machine"},
       kNoPdcEmulator + Progress("P", "rel/f.reg")},
      {"/abs later is ignored",
       REGWEAVE_PROGRAM,
       {"P", "f.reg", "/machine", "/abs"},
       kNoPdcEmulator + Progress("P", folder + "f.reg")},
      {"current directory",
       "regweave",
       {"P", "f.reg", "/user"},
       kNoPdcEmulator + Progress("P", folder_ + "/f.reg")},
      {"local server",
       REGWEAVE_PROGRAM,
       {"P", "f.reg", "/USER", "/local"},
       LocalNameMessage() + Progress("P", folder + "f.reg")},
      {"local before scope",
       REGWEAVE_PROGRAM,
       {"P", "f.reg", "/LOCAL", "/Machine"},
       LocalNameMessage() + Progress("P", folder + "f.reg")},
      {"UTF-8 names",
       REGWEAVE_PROGRAM,
       {"Caf\xC3\xA9 \xE4\xB8\xAD", "f.reg", "/user"},
       kNoPdcEmulator + Progress("Caf\xC3\xA9 \xE4\xB8\xAD", folder + "f.reg")},
  };
  for (const PathRow& row : rows) {
    ProcessResult result = Run(row.argv0, row.arguments);
    EXPECT_EQ(result.output, row.output + kFragmentMissing) << row.name;
    EXPECT_EQ(result.exit_status, 2) << row.name << ": ERROR_FILE_NOT_FOUND";
  }
}

TEST_F(CommandTest, GbkLocale) {
  const std::vector<std::string> gbk = {"LC_ALL=zh_CN.GBK",
                                        std::string("LOCPATH=") + TestLocalePath()};
  const std::string target = "\xD6\xD0\xCE\xC4";  // two Chinese characters
  const std::string source = "\x81\x5C.reg";      // its trail byte is a backslash
  ProcessResult result = Run("regweave", {target, source, "/uSeR", "/LoCaL"}, gbk);
  EXPECT_EQ(result.output,
            LocalNameMessage() + Progress(target, folder_ + "/" + source) + kFragmentMissing);
  EXPECT_EQ(result.exit_status, 2);

  result = Run("regweave", {target, source, "/MACHINE"}, gbk);
  EXPECT_EQ(result.output,
            kNoPdcEmulator + Progress(target, folder_ + "/" + source) + kFragmentMissing);

  result = Run("regweave", {target, source}, gbk);
  EXPECT_EQ(result.output, kMissingScope);
  EXPECT_EQ(result.exit_status, 87);
}

TEST_F(CommandTest, UnreadableCurrentDirectoryStopsTheRun) {
  // bash enters the folder, removes it and then starts the program with a bare argv[0], so the
  // source must be completed with a current directory that no longer exists.
  const std::string script = "cd \"$1\" && rmdir \"$1\" && exec -a regweave \"$2\" P f.reg /user";
  ProcessResult result = RunProcess(
      {"/bin/bash", {"bash", "-c", script, "bash", folder_, REGWEAVE_PROGRAM}, {"LC_ALL=C"}, ""});
  EXPECT_EQ(result.output, "Error occured. hr=0x80070002\n");
  EXPECT_EQ(result.exit_status, 2);
}

}  // namespace
