#include "service/IpcClient.h"

#include "base/Logger.h"
#include "service/IpcObjects.h"

namespace updater {
void IpcClient::Open(const std::wstring& baseName) {
  channel_.names = MakeIpcObjectNames(baseName);
}

ResultCode IpcClient::WaitForServerToBecomeReady() {
  Log(kLogDebug, L"WaitForServerToBecomeReady " + channel_.names.readyEvent + L" started");
  IpcSecurity security;
  if (const ResultCode result = security.Create(L"WaitForServerToBecomeReady",
                                                kEveryoneEventRights)) {
    return result;
  }
  KernelHandle ready = CreateChannelEvent(security.Attributes(), channel_.names.readyEvent);
  if (!ready)
    return LogChannelError(L"Unable to create server ready event " + channel_.names.readyEvent);
  Log(kLogDebug, L"Server ready event " + channel_.names.readyEvent + L" created");
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
  channel_.mapping.Reset(
      OpenFileMappingW(kEveryoneMappingRights, FALSE, channel_.names.mapping.c_str()));
  if (!channel_.mapping) return LogChannelError(L"Unable to create file mapping.");
  channel_.commandEvent.Reset(
      OpenEventW(kEveryoneEventRights, FALSE, channel_.names.commandEvent.c_str()));
  if (!channel_.commandEvent) return LogChannelError(L"Unable to open Cmd event.");
  channel_.replyEvent.Reset(
      OpenEventW(kEveryoneEventRights, FALSE, channel_.names.replyEvent.c_str()));
  if (!channel_.replyEvent) return LogChannelError(L"Unable to open WaitCmd event.");
  channel_.serverMutex.Reset(
      OpenMutexW(kEveryoneMutexRights, FALSE, channel_.names.serverMutex.c_str()));
  if (!channel_.serverMutex) {
    Log(kLogDebug, L"The server shows no sign of life; its reply is awaited without one.");
  }
  return kSuccess;
}

ResultCode IpcClient::Map() { return MapCommandBlock(channel_); }

ResultCode IpcClient::Send(const IpcCommand& command) {
  if (!channel_.IsOpen()) return kChannelNotOpen;
  WriteCommand(channel_.view.Get(), command);
  ResetEvent(channel_.replyEvent.Get());
  if (!SetEvent(channel_.commandEvent.Get()))
    return LogChannelError(L"Unable to set command event.");
  // No limit: the server runs the installer before it replies, and replies on its own time-out.
  // A server that ends without replying leaves its mutex to this wait.
  const HANDLE waited[] = {channel_.replyEvent.Get(), channel_.serverMutex.Get()};
  const DWORD wait = WaitForMultipleObjects(channel_.serverMutex ? 2 : 1, waited, FALSE, INFINITE);
  if (wait == WAIT_OBJECT_0) return ReadCommandResult(channel_.view.Get());
  if (wait == WAIT_ABANDONED_0 + 1 || wait == WAIT_OBJECT_0 + 1) {
    ReleaseMutex(channel_.serverMutex.Get());
    Log(kLogError, L"The server ended without replying.");
    return kServiceError;
  }
  Log(kLogError, L"WaitForSingleObject failed.");
  return wait;
}

}  // namespace updater
