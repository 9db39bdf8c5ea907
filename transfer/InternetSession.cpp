#include "transfer/InternetSession.h"

#include "transfer/UpdateEvents.h"

namespace updater {

namespace {

constexpr wchar_t kAgent[] = L"Tovanix";

}  // namespace

void SetTimeoutOptions(HINTERNET handle, const TransferTimeouts& timeouts) {
  DWORD connect = timeouts.connectMs;
  DWORD receive = timeouts.receiveMs;
  InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
}

void SetTextOption(HINTERNET handle, DWORD option, const std::wstring& text) {
  InternetSetOptionW(handle, option, const_cast<wchar_t*>(text.c_str()),
                     static_cast<DWORD>(text.size()));
}

ResultCode InternetSession::Open(const std::wstring& proxy, const TransferTimeouts& timeouts) {
  context_.Reset(InternetStatusContext::Create(kReadBufferSize));
  if (!context_) return ERROR_NOT_ENOUGH_MEMORY;
  root_.Reset(InternetOpenW(kAgent,
                            proxy.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY,
                            NullIfEmpty(proxy), nullptr, INTERNET_FLAG_ASYNC));
  if (!root_) return GetLastError();
  InternetSetStatusCallbackW(root_.Get(), &InternetStatusContext::StatusCallback);
  SetTimeoutOptions(root_.Get(), timeouts);
  return kSuccess;
}

void InternetSession::Close() {
  CloseRequest();
  root_.Reset();
  context_.Reset();
}

void InternetSession::CloseRequest() {
  request_.Reset();
  connection_.Reset();
}

void InternetSession::Begin(Pending operation) {
  context_.Get()->Begin(operation);
  // Wine's asynchronous FtpOpenFileW returns NULL without setting any error; a stale one would
  // read as a failure.
  SetLastError(ERROR_SUCCESS);
}

ResultCode InternetSession::WaitForCompletion() {
  while (!context_.Get()->Completed()) {
    if (events_.IsCanceled()) return kCanceled;
    context_.Get()->WaitForCompletion(kWaitSliceMs);
  }
  const Pending operation = context_.Get()->PendingOperation();
  if (operation == Pending::Connect || operation == Pending::FtpOpen ||
      operation == Pending::OpenRequest || operation == Pending::FtpCommand) {
    lastResponseText_ = context_.Get()->ResponseText();
  }
  if (context_.Get()->AsyncResult() != 0) return kSuccess;
  const DWORD error = context_.Get()->AsyncError();
  return error != 0 ? static_cast<ResultCode>(error)
                    : static_cast<ResultCode>(ERROR_INTERNET_INTERNAL_ERROR);
}

ResultCode InternetSession::Await(BOOL succeeded) {
  if (succeeded) {
    context_.Get()->MarkCompleted();
    return kSuccess;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) return error;
  return WaitForCompletion();
}

ResultCode InternetSession::AwaitHandle(HINTERNET immediate, HINTERNET* handle) {
  if (immediate != nullptr) {
    *handle = immediate;
    context_.Get()->MarkCompleted();
    return kSuccess;
  }
  const DWORD error = GetLastError();
  // Wine's asynchronous FtpOpenFileW delivers its handle later without reporting ERROR_IO_PENDING.
  if (error != ERROR_IO_PENDING && error != ERROR_SUCCESS) return error;
  const ResultCode result = WaitForCompletion();
  if (result == kCanceled) return result;
  *handle = context_.Get()->CurrentHandle();
  if (*handle != nullptr) return kSuccess;
  return result != kSuccess ? result : static_cast<ResultCode>(ERROR_INTERNET_INTERNAL_ERROR);
}

}  // namespace updater
