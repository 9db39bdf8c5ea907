#include "handover/InstanceLock.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <utility>

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

// The names of the listeners called, in call order; called from the lock's listener thread.
class CallLog {
 public:
  void Add(wchar_t name) {
    std::lock_guard<std::mutex> guard(lock_);
    text_ += name;
    added_.notify_all();
  }
  // The calls noted once there are `count` of them, or after five seconds.
  std::wstring WaitFor(std::size_t count) {
    std::unique_lock<std::mutex> guard(lock_);
    added_.wait_for(guard, std::chrono::seconds(5), [&] { return text_.size() >= count; });
    return text_;
  }

 private:
  std::mutex lock_;
  std::condition_variable added_;
  std::wstring text_;
};

// Notes each call in `log`; `begun`, when given, is signalled as a call begins, and the call then
// takes `busyMs`, as bringing a window to the front would.
class NotingListener : public InstanceListener {
 public:
  NotingListener(wchar_t name, CallLog* log, HANDLE begun = nullptr, DWORD busyMs = 0)
      : name_(name), log_(log), begun_(begun), busyMs_(busyMs) {}
  void OnInstanceSignal(WPARAM wParam, LPARAM) override {
    if (begun_ != nullptr) SetEvent(begun_);
    Sleep(busyMs_);
    if (wParam == kInstanceSignalActivate) log_->Add(name_);
  }

 private:
  wchar_t name_;
  CallLog* log_;
  HANDLE begun_;
  DWORD busyMs_;
};

// The first run of the updater, which later runs signal.
struct FirstRun {
  std::wstring name = test::UniqueName(L"listeners");
  CallLog calls;
  KernelHandle begun{CreateEventW(nullptr, FALSE, FALSE, nullptr)};
  InstanceLock lock;  // last, so that its listener thread ends first

  FirstRun() { EXPECT_TRUE(lock.Acquire(name)); }
  // What a second run does: finds the first one and signals it.
  void SignalFromASecondRun() const {
    InstanceLock second;
    ASSERT_TRUE(second.OpenExisting(name));
    EXPECT_EQ(kAnotherInstance, second.SignalFirst(false));
  }
};

TEST(InstanceLockTest, ARemovedListenerIsNotCalledAgainAndTheOthersStillAreInOrder) {
  FirstRun first;
  NotingListener a(L'a', &first.calls), b(L'b', &first.calls), c(L'c', &first.calls);
  for (NotingListener* listener : {&a, &b, &c}) first.lock.AddListener(listener);
  // A listener still called after its removal shows as a call out of place.
  const std::pair<InstanceListener*, std::wstring> steps[] = {
      {nullptr, L"abc"}, {&b, L"abcac"}, {&a, L"abcacc"}};
  for (const auto& [removed, expected] : steps) {
    if (removed != nullptr) first.lock.RemoveListener(removed);
    first.SignalFromASecondRun();
    EXPECT_EQ(expected, first.calls.WaitFor(expected.size()));
  }
}

TEST(InstanceLockTest, RemoveListenerWaitsForTheListenersCallInProgress) {
  // A window's listener is removed just before the window goes away: a call still running then
  // would reach a window that no longer exists.
  FirstRun first;
  NotingListener slow(L's', &first.calls, first.begun.Get(), 300);
  first.lock.AddListener(&slow);
  first.SignalFromASecondRun();
  ASSERT_EQ(static_cast<DWORD>(WAIT_OBJECT_0), WaitForSingleObject(first.begun.Get(), 5000))
      << "the signal never reached the listener";
  first.lock.RemoveListener(&slow);
  EXPECT_EQ(L"s", first.calls.WaitFor(0))
      << "RemoveListener returned while the listener was still being called";
}

}  // namespace
}  // namespace updater
