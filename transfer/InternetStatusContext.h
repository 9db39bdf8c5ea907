#pragma once

#include <windows.h>
#include <wininet.h>

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "base/UniqueHandle.h"

namespace updater {

// The callback context of one transfer's WinINet handles: what the status callback reports and the
// memory that asynchronous calls fill. It lives on the heap with a reference count: one reference
// for its owner and one for each adopted handle, dropped by the callback when WinINet reports that
// handle closing. Wine reports a handle with a pending request closing only when the request ends
// (at its receive time-out), so an owner may stop waiting for it and go: the late callback and the
// late read still write into memory that is there.
class InternetStatusContext {
 public:
  // What the last asynchronous call was; the callback stores handles only for some.
  enum class Pending : DWORD {
    Connect = 0,
    FtpOpen = 2,
    Read = 3,
    FtpCommand = 4,
    OpenRequest = 6,
    SendRequest = 7,
  };

  // With one reference for the caller; null when its events cannot be created.
  static InternetStatusContext* Create(DWORD bufferSize);
  InternetStatusContext(const InternetStatusContext&) = delete;
  InternetStatusContext& operator=(const InternetStatusContext&) = delete;

  void AddRef() { ++references_; }
  void Release();

  // The value to pass as dwContext, and the function to install on the root handle.
  DWORD_PTR Context() { return reinterpret_cast<DWORD_PTR>(this); }
  static void CALLBACK StatusCallback(HINTERNET handle, DWORD_PTR context, DWORD status,
                                      LPVOID info, DWORD infoLength);

  // Keeps this context alive for `handle`, opened with it, until WinINet reports it closing.
  void Adopt(HINTERNET handle);
  // Closes an adopted handle and waits at most `waitMs` for WinINet to report it closing; once one
  // handle was left pending, the others (its parents) are not waited for, as they close after it.
  void Close(HINTERNET handle, DWORD waitMs);

  void Begin(Pending operation);
  // For a call that finished at once.
  void MarkCompleted() { completed_ = true; }
  bool Completed() const { return completed_; }
  // Waits at most `waitMs` for the callback to report the pending operation complete.
  void WaitForCompletion(DWORD waitMs);
  Pending PendingOperation() const { return pending_; }
  DWORD AsyncError() const { return asyncError_; }
  DWORD_PTR AsyncResult() const { return asyncResult_; }
  HINTERNET CurrentHandle() const { return currentHandle_; }
  // The server's reply to the completed operation, kept by the callback's thread.
  const std::wstring& ResponseText() const { return responseText_; }

  // The server's last reply as WinINet keeps it for the calling thread.
  static std::wstring ThreadResponseText();

  char* Buffer() { return buffer_.data(); }
  DWORD* ReadCount() { return &readCount_; }
  WIN32_FIND_DATAW* FindData() { return &findData_; }

 private:
  InternetStatusContext(HANDLE requestComplete, HANDLE handleClosed, DWORD bufferSize);
  ~InternetStatusContext() = default;
  void OnRequestComplete(const INTERNET_ASYNC_RESULT& result);
  void OnHandleClosing(HINTERNET handle);
  // False when `handle` was not adopted (or no longer is).
  bool Forget(HINTERNET handle);
  bool IsAdopted(HINTERNET handle);

  KernelHandle requestComplete_;
  KernelHandle handleClosed_;
  std::atomic<long> references_{1};

  std::atomic<DWORD> asyncError_{0};
  std::atomic<DWORD_PTR> asyncResult_{0};
  std::atomic<Pending> pending_{Pending::Connect};
  std::atomic<bool> completed_{false};
  std::atomic<HINTERNET> currentHandle_{nullptr};
  std::wstring responseText_;
  // Filled by an asynchronous read or directory search on a WinINet thread.
  std::vector<char> buffer_;
  DWORD readCount_ = 0;
  WIN32_FIND_DATAW findData_ = {};

  std::mutex lock_;
  std::vector<HINTERNET> adopted_;
  bool leftPending_ = false;
};

// One reference to a context.
using InternetStatusContextRef = CountedRef<InternetStatusContext>;

}  // namespace updater
