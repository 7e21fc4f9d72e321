#include <gtest/gtest.h>

#include <thread>

#include <objbase.h>

namespace {

TEST(ApartmentTest, InitialisationIsCountedPerThread) {
  EXPECT_EQ(CoInitialize(nullptr), S_OK);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), RPC_E_CHANGED_MODE);

  HRESULT other_thread = E_FAIL;
  std::thread([&] {
    other_thread = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    CoUninitialize();
  }).join();
  EXPECT_EQ(other_thread, S_OK) << "another thread has its own apartment";

  CoUninitialize();
  CoUninitialize();
  CoUninitialize();  // one too many: ignored
  EXPECT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK) << "fully uninitialised";
  CoUninitialize();
}

TEST(ApartmentTest, InvalidArguments) {
  int reserved = 0;
  EXPECT_EQ(CoInitialize(&reserved), E_INVALIDARG);
  EXPECT_EQ(CoInitializeEx(nullptr, 0x100), E_INVALIDARG);
}

}  // namespace
