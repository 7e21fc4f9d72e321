// The file functions answer with the Win32 codes Windows gives for the same requests.
#include <fstream>
#include <sstream>
#include <string>

#include <gtest/gtest.h>
#include <windows.h>

#include "support/scratch_folder.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Creates path new with text; the last error when that fails, else 0.
DWORD CreateWith(const std::string& path, const std::string& text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return GetLastError();
  DWORD written = 0;
  BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
            written == text.size() && FlushFileBuffers(file);
  return CloseHandle(file) && ok ? 0 : GetLastError();
}

TEST(FileTest, CreatesMovesAndDeletesWithWindowsErrors) {
  ScratchFolder folder;
  ASSERT_FALSE(folder.path().empty());
  std::string a = folder.path() + "/a";
  std::string b = folder.path() + "/b";
  EXPECT_EQ(CreateWith(folder.path() + "/missing/a", "x"), DWORD{ERROR_PATH_NOT_FOUND});
  EXPECT_EQ(GetFileAttributesA(a.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  ASSERT_EQ(CreateWith(a, "first"), 0u);
  EXPECT_EQ(CreateWith(a, "second"), DWORD{ERROR_FILE_EXISTS});
  EXPECT_EQ(GetFileAttributesA(a.c_str()), DWORD{FILE_ATTRIBUTE_NORMAL});
  EXPECT_EQ(GetFileAttributesA(folder.path().c_str()), DWORD{FILE_ATTRIBUTE_DIRECTORY});

  ASSERT_EQ(CreateWith(b, "other"), 0u);
  EXPECT_FALSE(MoveFileExA(b.c_str(), a.c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_ALREADY_EXISTS});
  EXPECT_EQ(Contents(a), "first") << "a taken name is never replaced";
  ASSERT_TRUE(DeleteFileA(a.c_str()));
  EXPECT_TRUE(MoveFileExA(b.c_str(), a.c_str(), MOVEFILE_WRITE_THROUGH));
  EXPECT_EQ(Contents(a), "other");
  EXPECT_FALSE(DeleteFileA(b.c_str()));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_FILE_NOT_FOUND});
  EXPECT_FALSE(CloseHandle(INVALID_HANDLE_VALUE));
  EXPECT_EQ(GetLastError(), DWORD{ERROR_INVALID_HANDLE});
}

}  // namespace
