#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include <windows.h>

namespace {

constexpr DWORD kFromSystem = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM;
constexpr DWORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);

// The system text for id, or "<none: error>" when there is none.
std::string SystemText(DWORD id, DWORD language = kNeutral) {
  char* text = nullptr;
  DWORD length = FormatMessageA(kFromSystem, nullptr, id, language, reinterpret_cast<LPSTR>(&text),
                                0, nullptr);
  if (length == 0) return "<none: " + std::to_string(GetLastError()) + ">";
  std::string result(text, length);
  LocalFree(text);
  return result;
}

std::string Hex(DWORD id) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "0x%08X", static_cast<unsigned>(id));
  return buffer;
}

// Every value the platform produces has a text, in one line ending with CR LF.
TEST(FormatMessageTest, ProducedCodesHaveOneLineOfText) {
  const DWORD ids[] = {
      ERROR_SUCCESS,
      ERROR_FILE_NOT_FOUND,
      ERROR_ACCESS_DENIED,
      ERROR_FILE_EXISTS,
      ERROR_INVALID_PARAMETER,
      ERROR_INSUFFICIENT_BUFFER,
      ERROR_INVALID_NAME,
      ERROR_NO_UNICODE_TRANSLATION,
      ERROR_BUFFER_OVERFLOW,
      ERROR_DS_NO_SUCH_OBJECT,
      ERROR_DS_SERVER_DOWN,
      DWORD(E_NOTIMPL),
      DWORD(E_NOINTERFACE),
      DWORD(E_POINTER),
      DWORD(E_FAIL),
      DWORD(E_OUTOFMEMORY),
      DWORD(E_INVALIDARG),
      DWORD(E_ACCESSDENIED),
      DWORD(REGDB_E_CLASSNOTREG),
      DWORD(CO_E_NOTINITIALIZED),
      DWORD(DISP_E_BADVARTYPE),
      DWORD(HRESULT_FROM_WIN32(ERROR_DS_INVALID_DN_SYNTAX)),
      0x80005000,
      0x80005014,
  };
  for (DWORD id : ids) {
    std::string text = SystemText(id);
    ASSERT_GE(text.size(), 3u) << Hex(id) << ": " << text;
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << Hex(id);
    EXPECT_EQ(text.find_first_of("\r\n%"), text.size() - 2) << Hex(id) << ": " << text;
  }
}

TEST(FormatMessageTest, Win32HresultsReadAsTheirWin32Code) {
  EXPECT_EQ(SystemText(DWORD(E_INVALIDARG)), SystemText(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(SystemText(DWORD(HRESULT_FROM_WIN32(ERROR_DS_NO_SUCH_OBJECT))),
            SystemText(ERROR_DS_NO_SUCH_OBJECT));
  EXPECT_NE(SystemText(DWORD(E_POINTER)), SystemText(HRESULT_CODE(E_POINTER)))
      << "only FACILITY_WIN32 values are mapped";
}

TEST(FormatMessageTest, MissingTextAndLanguages) {
  struct Row {
    DWORD id;
    DWORD language;
    const char* expected;
  } rows[] = {
      {0x80040201, kNeutral, "<none: 317>"},
      {0x80040200, kNeutral, "<none: 317>"},
      {0x80070000 | 9999, kNeutral, "<none: 317>"},
      {DWORD(E_POINTER), MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL), nullptr},
      {DWORD(E_POINTER), 0x409, nullptr},
      {DWORD(E_POINTER), 0x407, "<none: 1815>"},
  };
  for (const Row& row : rows) {
    std::string text = SystemText(row.id, row.language);
    if (row.expected != nullptr) {
      EXPECT_EQ(text, row.expected) << Hex(row.id) << " language " << row.language;
    } else {
      EXPECT_EQ(text, SystemText(row.id)) << Hex(row.id) << " language " << row.language;
    }
  }
}

TEST(FormatMessageTest, CallersBuffer) {
  const std::string expected = SystemText(DWORD(E_POINTER));
  char buffer[256];
  const DWORD fits = DWORD(expected.size() + 1);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, DWORD(E_POINTER), 0, buffer, fits,
                           nullptr),
            fits - 1);
  EXPECT_EQ(std::string(buffer), expected);
  SetLastError(0);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM, nullptr, DWORD(E_POINTER), 0, buffer,
                           fits - 1, nullptr),
            0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INSUFFICIENT_BUFFER));
}

TEST(FormatMessageTest, AllocatedBufferHonoursTheMinimumSize) {
  char* text = nullptr;
  ASSERT_GT(FormatMessageA(kFromSystem, nullptr, DWORD(E_POINTER), 0,
                           reinterpret_cast<LPSTR>(&text), 4096, nullptr),
            0u);
  text[4095] = 'x';  // inside the block: AddressSanitizer checks the size
  LocalFree(text);
}

TEST(FormatMessageTest, OtherSourcesAreRefused) {
  char buffer[64];
  SetLastError(0);
  EXPECT_EQ(FormatMessageA(FORMAT_MESSAGE_FROM_STRING, "text", 0, 0, buffer, 64, nullptr), 0u);
  EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
}

}  // namespace
