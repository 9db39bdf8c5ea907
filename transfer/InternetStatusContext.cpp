#include "transfer/InternetStatusContext.h"

#include <algorithm>

namespace updater {

std::wstring InternetStatusContext::ThreadResponseText() {
  DWORD error = 0;
  DWORD length = 0;
  InternetGetLastResponseInfoW(&error, nullptr, &length);
  if (length == 0) return std::wstring();
  std::vector<wchar_t> text(length + 1);
  if (!InternetGetLastResponseInfoW(&error, text.data(), &length)) return std::wstring();
  return std::wstring(text.data(), length);
}

InternetStatusContext* InternetStatusContext::Create(DWORD bufferSize) {
  KernelHandle requestComplete(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  KernelHandle handleClosed(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!requestComplete || !handleClosed) return nullptr;
  return new InternetStatusContext(requestComplete.Release(), handleClosed.Release(), bufferSize);
}

InternetStatusContext::InternetStatusContext(HANDLE requestComplete, HANDLE handleClosed,
                                             DWORD bufferSize)
    : requestComplete_(requestComplete), handleClosed_(handleClosed), buffer_(bufferSize) {}

void InternetStatusContext::Release() {
  if (--references_ == 0) delete this;
}

void CALLBACK InternetStatusContext::StatusCallback(HINTERNET handle, DWORD_PTR context,
                                                    DWORD status, LPVOID info, DWORD infoLength) {
  auto* self = reinterpret_cast<InternetStatusContext*>(context);
  if (self == nullptr) return;
  if (status == INTERNET_STATUS_HANDLE_CLOSING) {
    self->OnHandleClosing(handle);
  } else if (status == INTERNET_STATUS_REQUEST_COMPLETE && info != nullptr &&
             infoLength >= sizeof(INTERNET_ASYNC_RESULT)) {
    self->OnRequestComplete(*static_cast<const INTERNET_ASYNC_RESULT*>(info));
  }
}

void InternetStatusContext::OnRequestComplete(const INTERNET_ASYNC_RESULT& result) {
  asyncError_ = result.dwError;
  asyncResult_ = result.dwResult;
  const Pending operation = pending_;
  if (operation == Pending::Connect || operation == Pending::FtpOpen ||
      operation == Pending::OpenRequest) {
    currentHandle_ = reinterpret_cast<HINTERNET>(result.dwResult);
  }
  // The response text is kept per thread, so only this thread can read it.
  if (operation == Pending::Connect || operation == Pending::FtpOpen ||
      operation == Pending::OpenRequest || operation == Pending::FtpCommand) {
    responseText_ = ThreadResponseText();
  }
  completed_ = true;
  SetEvent(requestComplete_.Get());
}

void InternetStatusContext::OnHandleClosing(HINTERNET handle) {
  const bool adopted = Forget(handle);
  SetEvent(handleClosed_.Get());
  // Last, since it may free this context.
  if (adopted) Release();
}

bool InternetStatusContext::Forget(HINTERNET handle) {
  std::lock_guard<std::mutex> guard(lock_);
  const auto found = std::find(adopted_.begin(), adopted_.end(), handle);
  if (found == adopted_.end()) return false;
  adopted_.erase(found);
  return true;
}

bool InternetStatusContext::IsAdopted(HINTERNET handle) {
  std::lock_guard<std::mutex> guard(lock_);
  return std::find(adopted_.begin(), adopted_.end(), handle) != adopted_.end();
}

void InternetStatusContext::Adopt(HINTERNET handle) {
  AddRef();
  std::lock_guard<std::mutex> guard(lock_);
  adopted_.push_back(handle);
}

void InternetStatusContext::Close(HINTERNET handle, DWORD waitMs) {
  // The callback may drop the handle's reference, the last one, while this runs.
  AddRef();
  ResetEvent(handleClosed_.Get());
  if (!InternetCloseHandle(handle)) {
    // No closing is reported for a handle that WinINet does not know.
    if (Forget(handle)) Release();
  } else if (!leftPending_) {
    const DWORD start = GetTickCount();
    while (IsAdopted(handle)) {
      const DWORD waited = GetTickCount() - start;
      if (waited >= waitMs) {
        leftPending_ = true;
        break;
      }
      WaitForSingleObject(handleClosed_.Get(), waitMs - waited);
      ResetEvent(handleClosed_.Get());
    }
  }
  Release();
}

void InternetStatusContext::Begin(Pending operation) {
  pending_ = operation;
  completed_ = false;
  currentHandle_ = nullptr;
  asyncError_ = 0;
  asyncResult_ = 0;
}

void InternetStatusContext::WaitForCompletion(DWORD waitMs) {
  // Reset only before waiting, so that calls that finish at once cost no event operation; the flag
  // is set before the event, so a completion between the reset and the check is still seen.
  ResetEvent(requestComplete_.Get());
  if (!completed_) WaitForSingleObject(requestComplete_.Get(), waitMs);
}

}  // namespace updater
