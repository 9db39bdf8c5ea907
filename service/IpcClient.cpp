#include "service/IpcClient.h"

#include "base/Logger.h"
#include "service/IpcObjects.h"

namespace updater {
void IpcClient::Open(const std::wstring& baseName) { names_ = MakeIpcObjectNames(baseName); }

ResultCode IpcClient::WaitForServerToBecomeReady() {
  Log(kLogDebug, L"WaitForServerToBecomeReady " + names_.readyEvent + L" started");
  IpcSecurity security;
  if (const ResultCode result = security.Create(L"WaitForServerToBecomeReady")) return result;
  KernelHandle ready = CreateChannelEvent(security.Attributes(), names_.readyEvent);
  if (!ready) return LogChannelError(L"Unable to create server ready event " + names_.readyEvent);
  Log(kLogDebug, L"Server ready event " + names_.readyEvent + L" created");
  const DWORD wait = WaitForSingleObject(ready.Get(), readyTimeoutMs_);
  if (wait != WAIT_OBJECT_0) {
    const DWORD error = GetLastError();
    Log(kLogError, L"Wait for server ready event failed, ret code: " + std::to_wstring(wait) +
                       L" LastError: " + std::to_wstring(error));
    return wait == WAIT_TIMEOUT ? kRequestTimeout : (error != 0 ? error : kServiceError);
  }
  Log(kLogDebug, L"Server ready event is signaled");
  return kSuccess;
}

ResultCode IpcClient::Connect() {
  mapping_.Reset(OpenFileMappingW(FILE_MAP_ALL_ACCESS, FALSE, names_.mapping.c_str()));
  if (!mapping_) return LogChannelError(L"Unable to create file mapping.");
  commandEvent_.Reset(OpenEventW(EVENT_ALL_ACCESS, FALSE, names_.commandEvent.c_str()));
  if (!commandEvent_) return LogChannelError(L"Unable to open Cmd event.");
  replyEvent_.Reset(OpenEventW(EVENT_ALL_ACCESS, FALSE, names_.replyEvent.c_str()));
  if (!replyEvent_) return LogChannelError(L"Unable to open WaitCmd event.");
  return kSuccess;
}

ResultCode IpcClient::Map() {
  return MapCommandBlock(mapping_, view_);
}

ResultCode IpcClient::Send(const IpcCommand& command) {
  if (!mapping_ || !view_ || !commandEvent_ || !replyEvent_) return kChannelNotOpen;
  WriteCommand(view_.Get(), command);
  ResetEvent(replyEvent_.Get());
  if (!SetEvent(commandEvent_.Get())) return LogChannelError(L"Unable to set command event.");
  // No limit: the server runs the installer before it replies, and replies on its own time-out.
  const DWORD wait = WaitForSingleObject(replyEvent_.Get(), INFINITE);
  if (wait != WAIT_OBJECT_0) {
    Log(kLogError, L"WaitForSingleObject failed.");
    return wait;
  }
  return ReadCommandResult(view_.Get());
}

}  // namespace updater
