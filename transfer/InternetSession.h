#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/ResultCode.h"
#include "transfer/InternetHandle.h"
#include "transfer/InternetStatusContext.h"

namespace updater {

class UpdateEvents;

// Time limits of one transfer. A server that stops sending counts as a dropped connection after
// `receiveMs`, so that the transfer reconnects instead of waiting for ever.
struct TransferTimeouts {
  DWORD connectMs = 30000;
  DWORD receiveMs = 60000;
};

// The WinINet handles of one download, opened in asynchronous mode, and the waits for its calls:
// the calling thread waits in 10 ms slices, so that a cancel through the observer takes effect
// at once.
class InternetSession {
 public:
  using Pending = InternetStatusContext::Pending;

  // Each read costs WinINet a fixed overhead that 51200-byte reads made a third of a loopback
  // transfer; a read that has to wait for the network is still waited for in 10 ms slices.
  static constexpr DWORD kReadBufferSize = 256 * 1024;
  static constexpr DWORD kWaitSliceMs = 10;

  explicit InternetSession(UpdateEvents& events) : events_(events) {}
  InternetSession(const InternetSession&) = delete;
  InternetSession& operator=(const InternetSession&) = delete;

  // A new root handle (and callback context) through `proxy`, or the system's settings when empty.
  ResultCode Open(const std::wstring& proxy, const TransferTimeouts& timeouts);
  void Close();
  // Closes the request and its connection; the root stays.
  void CloseRequest();

  HINTERNET Root() const { return root_.Get(); }
  HINTERNET Connection() const { return connection_.Get(); }
  HINTERNET Request() const { return request_.Get(); }
  // Take a handle opened with Context(), closing the one held.
  void SetConnection(HINTERNET handle) { connection_.Reset(handle, context_.Get()); }
  void SetRequest(HINTERNET handle) { request_.Reset(handle, context_.Get()); }
  InternetStatusContext& Status() { return *context_.Get(); }
  DWORD_PTR Context() { return context_.Get()->Context(); }

  // Call before each asynchronous call, then one of the Await functions with what it returned.
  void Begin(Pending operation);
  ResultCode Await(BOOL succeeded);
  ResultCode AwaitHandle(HINTERNET immediate, HINTERNET* handle);

  // The server's reply to the last connection, open or command.
  const std::wstring& LastResponseText() const { return lastResponseText_; }
  // Takes the reply that a call which finished at once left with this thread.
  void TakeThreadResponseText() { lastResponseText_ = InternetStatusContext::ThreadResponseText(); }

 private:
  ResultCode WaitForCompletion();

  UpdateEvents& events_;
  std::wstring lastResponseText_;
  // Released in this order (reverse of declaration): request, connection, root, context; each
  // transfer has a context of its own, so no late callback of an earlier one reaches it.
  InternetStatusContextRef context_;
  RootInternetHandle root_;
  AwaitedInternetHandle connection_;
  AwaitedInternetHandle request_;
};

void SetTimeoutOptions(HINTERNET handle, const TransferTimeouts& timeouts);
void SetTextOption(HINTERNET handle, DWORD option, const std::wstring& text);
// What a WinINet call takes for "none".
inline const wchar_t* NullIfEmpty(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

}  // namespace updater
