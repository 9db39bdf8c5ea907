#include "app/InstanceLock.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(InstanceLockTest, NamesReplaceBackslashesAndExtensions) {
  EXPECT_EQ(L"C:_Apps_U.exe", InstanceLockName(L"C:\\Apps\\U.exe"));
  EXPECT_EQ(L"C:\\App\\Updater.old.tmp", WithExtension(L"C:\\App\\Updater.old.exe", L".tmp"));
  EXPECT_EQ(L"C:\\App.v2\\Updater.tmp", WithExtension(L"C:\\App.v2\\Updater", L".tmp"));
}

DWORD WINAPI TryTakeMutex(void* mutex) {
  return WaitForSingleObject(static_cast<HANDLE>(mutex), 0);
}

TEST(InstanceLockTest, TemporaryCopyHoldsItsMutexForTheRunAndASecondAcquireFails) {
  const std::wstring name = test::UniqueName(L"lock");
  const std::wstring mutexName = name + L".mtx";
  {
    InstanceLock copy;
    ASSERT_TRUE(copy.Acquire(name, mutexName));
    EXPECT_FALSE(InstanceLock().Acquire(name));
    KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, mutexName.c_str()));
    ASSERT_TRUE(mutex);
    // Owned by this thread, so waiting from another one must time out.
    DWORD waited = 0;
    KernelHandle other(CreateThread(nullptr, 0, TryTakeMutex, mutex.Get(), 0, nullptr));
    WaitForSingleObject(other.Get(), INFINITE);
    GetExitCodeThread(other.Get(), &waited);
    EXPECT_EQ(static_cast<DWORD>(WAIT_TIMEOUT), waited);
  }
  EXPECT_FALSE(KernelHandle(OpenMutexW(SYNCHRONIZE, FALSE, mutexName.c_str())))
      << "the mutex outlived the lock";
  EXPECT_TRUE(InstanceLock().Acquire(name)) << "the lock outlived its owner";
}

}  // namespace
}  // namespace updater
