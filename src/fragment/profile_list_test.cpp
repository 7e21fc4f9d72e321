#include "profile_list.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <string>

#include <gtest/gtest.h>

namespace {

// A reader that stores nothing and leaves error as its last error.
ProfileList::Read AnswersNothingWith(DWORD error) {
  return [error](LPSTR buffer, DWORD capacity) -> DWORD {
    if (capacity > 0) buffer[0] = '\0';
    SetLastError(error);
    return 0;
  };
}

// An empty answer is an empty list only when the reader left no error behind; any error means
// it could not read the file, which must not pass for a fragment without sections.
TEST(ProfileListTest, EmptyAnswerIsAnEmptyListOrAFailure) {
  ProfileList list;
  EXPECT_STREQ(list.Fill(AnswersNothingWith(ERROR_SUCCESS)), "");
  EXPECT_THROW(list.Fill(AnswersNothingWith(ERROR_NOT_ENOUGH_MEMORY)), std::bad_alloc);
  EXPECT_THROW(list.Fill(AnswersNothingWith(ERROR_OUTOFMEMORY)), std::bad_alloc);
  struct Case {
    DWORD error;
  } failures[] = {{ERROR_FILE_NOT_FOUND}, {ERROR_ACCESS_DENIED}, {ERROR_READ_FAULT}};
  for (const Case& row : failures) {
    try {
      list.Fill(AnswersNothingWith(row.error));
      ADD_FAILURE() << "no failure for error " << row.error;
    } catch (const ProfileReadError& failure) {
      EXPECT_EQ(failure.error(), row.error);
    }
  }
}

// An error left from before the read is not the reader's.
TEST(ProfileListTest, EarlierErrorIsNotTheReaders) {
  ProfileList list;
  SetLastError(ERROR_FILE_NOT_FOUND);
  EXPECT_STREQ(list.Fill([](LPSTR buffer, DWORD) -> DWORD {
    buffer[0] = '\0';
    return 0;
  }),
               "");
}

// A list that fills the buffer up to capacity - 2 may have been cut, so it is read again larger
// until it fits with room to spare.
TEST(ProfileListTest, GrowsUntilTheListFits) {
  const std::string names(200000, 'n');
  int reads = 0;
  ProfileList list;
  const char* first = list.Fill([&](LPSTR buffer, DWORD capacity) -> DWORD {
    ++reads;
    DWORD stored = std::min<DWORD>(static_cast<DWORD>(names.size()), capacity - 2);
    std::memcpy(buffer, names.data(), stored);
    buffer[stored] = buffer[stored + 1] = '\0';
    SetLastError(ERROR_SUCCESS);
    return stored;
  });
  EXPECT_EQ(std::string(first), names);
  EXPECT_EQ(reads, 3);  // 64 KiB, 128 KiB, 256 KiB
}

}  // namespace
