#pragma once

#include <windows.h>
#include <wininet.h>

#include "app/UniqueHandle.h"

namespace updater {

struct InternetHandleTraits {
  using Value = HINTERNET;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) { InternetCloseHandle(v); }
};

// The InternetOpenW handle: the status callback goes first, so that closing reports nothing more.
struct RootInternetHandleTraits {
  using Value = HINTERNET;
  static Value Invalid() { return nullptr; }
  static bool IsValid(Value v) { return v != nullptr; }
  static void Close(Value v) {
    InternetSetStatusCallbackW(v, nullptr);
    InternetCloseHandle(v);
  }
};

using InternetHandle = UniqueHandle<InternetHandleTraits>;
using RootInternetHandle = UniqueHandle<RootInternetHandleTraits>;

// A connection or request handle whose status callback may still run on a WinINet thread (an
// asynchronous read keeps it alive). Closing returns only once WinINet reported the handle closing,
// the last notification it sends for it, so the callback never touches a destroyed owner.
class AwaitedInternetHandle {
 public:
  // `closedEvent` is a manual-reset event that the status callback signals on
  // INTERNET_STATUS_HANDLE_CLOSING; it must outlive this object.
  explicit AwaitedInternetHandle(HANDLE closedEvent) : closedEvent_(closedEvent) {}
  AwaitedInternetHandle(const AwaitedInternetHandle&) = delete;
  AwaitedInternetHandle& operator=(const AwaitedInternetHandle&) = delete;
  ~AwaitedInternetHandle() { Reset(); }

  HINTERNET Get() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  void Reset(HINTERNET v = nullptr) {
    if (value_ != nullptr) {
      const DWORD lastError = GetLastError();
      ResetEvent(closedEvent_);
      if (InternetCloseHandle(value_)) WaitForSingleObject(closedEvent_, INFINITE);
      SetLastError(lastError);
    }
    value_ = v;
  }

 private:
  HANDLE closedEvent_;
  HINTERNET value_ = nullptr;
};

}  // namespace updater
