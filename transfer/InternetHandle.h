#pragma once

#include <windows.h>
#include <wininet.h>

#include "base/UniqueHandle.h"
#include "transfer/InternetStatusContext.h"

namespace updater {

// The InternetOpenW handle: the status callback goes first, so that closing reports nothing more.
inline void CloseRootInternetHandle(HINTERNET root) {
  InternetSetStatusCallbackW(root, nullptr);
  InternetCloseHandle(root);
}

using InternetHandle = ClosedBy<HINTERNET, &InternetCloseHandle>;
using RootInternetHandle = ClosedBy<HINTERNET, &CloseRootInternetHandle>;

// A connection or request handle whose status callback may still run on a WinINet thread (an
// asynchronous read keeps it alive). It holds a reference to its callback context until WinINet
// reports it closing, so that a callback or read that comes after its owner has gone finds live
// memory. Closing waits for that report only briefly.
class AwaitedInternetHandle {
 public:
  AwaitedInternetHandle() = default;
  AwaitedInternetHandle(const AwaitedInternetHandle&) = delete;
  AwaitedInternetHandle& operator=(const AwaitedInternetHandle&) = delete;
  ~AwaitedInternetHandle() { Reset(); }

  HINTERNET Get() const { return value_; }
  explicit operator bool() const { return value_ != nullptr; }
  // Closes the handle held, then takes `handle`, opened with `context` as its callback context.
  void Reset(HINTERNET handle = nullptr, InternetStatusContext* context = nullptr) {
    if (value_ != nullptr) {
      const DWORD lastError = GetLastError();
      context_->Close(value_, kCloseWaitMs);
      SetLastError(lastError);
    }
    value_ = handle;
    context_ = handle != nullptr ? context : nullptr;
    if (value_ != nullptr) context_->Adopt(value_);
  }

  // Long enough for any close that nothing holds up; Wine holds a handle with a pending request
  // until the request's receive time-out, which a cancel must not wait for.
  static constexpr DWORD kCloseWaitMs = 500;

 private:
  InternetStatusContext* context_ = nullptr;
  HINTERNET value_ = nullptr;
};

}  // namespace updater
