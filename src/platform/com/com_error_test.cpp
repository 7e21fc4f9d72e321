#include <gtest/gtest.h>

#include <string>

#include <comdef.h>

#include "support/counted_object.h"

namespace {

std::string SystemText(HRESULT hr) {
  char* text = nullptr;
  FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, DWORD(hr), 0,
                 reinterpret_cast<LPSTR>(&text), 0, nullptr);
  std::string result = text != nullptr ? text : "";
  LocalFree(text);
  return result;
}

TEST(ComErrorTest, MessageText) {
  struct Row {
    HRESULT hr;
    std::string expected;
  } rows[] = {
      {E_INVALIDARG, SystemText(E_INVALIDARG).substr(0, SystemText(E_INVALIDARG).size() - 2)},
      {E_POINTER, SystemText(E_POINTER).substr(0, SystemText(E_POINTER).size() - 2)},
      {HRESULT(0x80040201), "IDispatch error #1"},
      {HRESULT(0x8004FFFF), "IDispatch error #65023"},
      {HRESULT(0x80040200), "Unknown error 0x80040200"},
      {HRESULT(0x800401FF), "Unknown error 0x800401FF"},
      {HRESULT(0x80070000 | 9999), "Unknown error 0x8007270F"},
      {HRESULT(0x12345678), "Unknown error 0x12345678"},
  };
  for (const Row& row : rows) {
    _com_error error(row.hr);
    const char* message = error.ErrorMessage();
    ASSERT_NE(message, nullptr) << std::hex << row.hr;
    EXPECT_EQ(std::string(message), row.expected) << std::hex << row.hr;
    EXPECT_EQ(error.ErrorMessage(), message) << "built once";
  }
}

TEST(ComErrorTest, CopiesShareErrorInfoButNotText) {
  CountedObject info;
  {
    _com_error original(E_POINTER, &info, true);
    EXPECT_EQ(info.references, 2u);
    const char* original_text = original.ErrorMessage();
    _com_error copy(original);
    EXPECT_EQ(info.references, 3u);
    EXPECT_EQ(copy.Error(), E_POINTER);
    EXPECT_NE(copy.ErrorMessage(), original_text) << "the copy builds its own text";
    EXPECT_STREQ(copy.ErrorMessage(), original_text);

    _com_error assigned(E_FAIL);
    assigned.ErrorMessage();
    assigned = copy;
    EXPECT_EQ(assigned.Error(), E_POINTER);
    EXPECT_EQ(info.references, 4u);
    const _com_error& same = assigned;
    assigned = same;
    EXPECT_EQ(info.references, 4u) << "self-assignment";

    IErrorInfo* reported = original.ErrorInfo();
    EXPECT_EQ(reported, &info);
    EXPECT_EQ(info.references, 5u) << "ErrorInfo adds a reference for its caller";
    reported->Release();
  }
  EXPECT_EQ(info.references, 1u) << "every copy released its reference";
}

TEST(ComErrorTest, WCodeConversions) {
  struct Row {
    HRESULT hr;
    WORD wcode;
  } rows[] = {{HRESULT(0x80040200), 0}, {HRESULT(0x80040201), 1}, {HRESULT(0x8004FFFF), 0xFDFF},
              {HRESULT(0x800401FF), 0}, {HRESULT(0x80050201), 0}, {S_OK, 0}};
  for (const Row& row : rows) {
    EXPECT_EQ(_com_error::HRESULTToWCode(row.hr), row.wcode) << std::hex << row.hr;
    EXPECT_EQ(_com_error(row.hr).WCode(), row.wcode) << std::hex << row.hr;
  }
  EXPECT_EQ(_com_error::WCodeToHRESULT(1), HRESULT(0x80040201));
  EXPECT_EQ(_com_error::WCodeToHRESULT(0xFE00), HRESULT(0x8004FFFF));
}

TEST(ComErrorTest, IssueErrorThrows) {
  try {
    _com_issue_error(E_OUTOFMEMORY);
    FAIL() << "nothing thrown";
  } catch (const _com_error& error) {
    EXPECT_EQ(error.Error(), E_OUTOFMEMORY);
  }
}

}  // namespace
