#include "app/InstanceLock.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(InstanceLockTest, NamesReplaceBackslashesAndExtensions) {
  EXPECT_EQ(L"C:_Apps_Updater.exe", InstanceLockName(L"C:\\Apps\\Updater.exe"));
  EXPECT_EQ(L"C:\\App\\Updater.old.tmp", WithExtension(L"C:\\App\\Updater.old.exe", L".tmp"));
  EXPECT_EQ(L"C:\\App.v2\\Updater.tmp", WithExtension(L"C:\\App.v2\\Updater", L".tmp"));
}

// Records the signal the listener thread passes on, and on which thread.
struct RecordingListener : InstanceListener {
  void OnInstanceSignal(WPARAM w, LPARAM l) override {
    wParam = w;
    lParam = l;
    threadId = GetCurrentThreadId();
    SetEvent(received.Get());
  }
  KernelHandle received{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  WPARAM wParam = 0;
  LPARAM lParam = 0;
  DWORD threadId = 0;
};

TEST(InstanceLockTest, SecondInstanceSignalsTheFirstOnItsListenerThreadUntilTheFirstIsGone) {
  const std::wstring name = InstanceLockName(L"C:\\" + test::UniqueName(L"lock") + L"\\U.exe");
  {
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(name));
    RecordingListener listener;
    first.AddListener(&listener);
    InstanceLock second;
    EXPECT_FALSE(second.Acquire(name));
    EXPECT_EQ(kAnotherInstance, second.SignalFirst(true));
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(listener.received.Get(), 5000))
        << "the first instance was not told";
    EXPECT_EQ(kInstanceSignalActivate, listener.wParam);
    EXPECT_EQ(1, listener.lParam);
    EXPECT_NE(GetCurrentThreadId(), listener.threadId);
    first.RemoveListener(&listener);
  }
  InstanceLock next;
  EXPECT_TRUE(next.Acquire(name));
}

DWORD WINAPI TryTakeMutex(void* mutex) {
  return WaitForSingleObject(static_cast<HANDLE>(mutex), 0);
}

TEST(InstanceLockTest, TemporaryCopyHoldsItsMutexForTheRun) {
  const std::wstring name = test::UniqueName(L"lock");
  const std::wstring mutexName = name + L".mtx";
  {
    InstanceLock copy;
    ASSERT_TRUE(copy.Acquire(name, mutexName));
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
}

}  // namespace
}  // namespace updater
