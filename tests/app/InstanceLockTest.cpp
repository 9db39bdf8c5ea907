#include "app/InstanceLock.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(InstanceLockTest, NamesReplaceBackslashesAndExtensions) {
  EXPECT_EQ(L"C:_Program Files_App_Updater.exe",
            InstanceLockName(L"C:\\Program Files\\App\\Updater.exe"));
  struct Case {
    const wchar_t* path;
    const wchar_t* expected;
  };
  const Case cases[] = {
      {L"C:\\App\\Updater.exe", L"C:\\App\\Updater.tmp"},
      {L"C:\\App.v2\\Updater", L"C:\\App.v2\\Updater.tmp"},
      {L"C:\\App\\Updater.old.exe", L"C:\\App\\Updater.old.tmp"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, WithExtension(c.path, L".tmp")) << test::Narrow(c.path);
  }
}

// Records the signals the listener thread passes on.
class RecordingListener : public InstanceListener {
 public:
  RecordingListener() : received_(CreateEventW(nullptr, FALSE, FALSE, nullptr)) {}
  void OnInstanceSignal(WPARAM wParam, LPARAM lParam) override {
    wParam_ = wParam;
    lParam_ = lParam;
    threadId_ = GetCurrentThreadId();
    SetEvent(received_.Get());
  }
  bool Received() const { return WaitForSingleObject(received_.Get(), 5000) == WAIT_OBJECT_0; }
  WPARAM wParam_ = 0;
  LPARAM lParam_ = 0;
  DWORD threadId_ = 0;

 private:
  KernelHandle received_;
};

TEST(InstanceLockTest, SecondInstanceSignalsTheFirstOnItsListenerThread) {
  const std::wstring name = InstanceLockName(L"C:\\" + test::UniqueName(L"lock") + L"\\U.exe");
  InstanceLock first;
  ASSERT_TRUE(first.Acquire(name));
  RecordingListener listener;
  first.AddListener(&listener);

  InstanceLock second;
  EXPECT_FALSE(second.Acquire(name));
  EXPECT_EQ(kAnotherInstance, second.SignalFirst(true));
  ASSERT_TRUE(listener.Received()) << "the first instance was not told";
  EXPECT_EQ(kInstanceSignalActivate, listener.wParam_);
  EXPECT_EQ(1, listener.lParam_);
  EXPECT_NE(GetCurrentThreadId(), listener.threadId_);
  first.RemoveListener(&listener);
}

TEST(InstanceLockTest, LockIsFreeAgainOnceTheFirstInstanceIsGone) {
  const std::wstring name = test::UniqueName(L"lock");
  {
    InstanceLock first;
    ASSERT_TRUE(first.Acquire(name));
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
  KernelHandle gone(OpenMutexW(SYNCHRONIZE, FALSE, mutexName.c_str()));
  EXPECT_FALSE(gone) << "the mutex outlived the lock";
}

}  // namespace
}  // namespace updater
