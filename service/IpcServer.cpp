#include "service/IpcServer.h"

#include "base/LoggableText.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "service/IpcObjects.h"

namespace updater {
namespace {

constexpr DWORD kWaitSliceMs = 10;

}  // namespace

ResultCode IpcServer::Create(const std::wstring& baseName) {
  Log(kLogDebug, L"IPC Object name base: " + baseName);
  channel_.names = MakeIpcObjectNames(baseName);
  IpcSecurity mappingSecurity, eventSecurity, mutexSecurity;
  ResultCode result = mappingSecurity.Create(L"CreateFileMapping", kEveryoneMappingRights);
  if (result == kSuccess) result = eventSecurity.Create(L"CreateFileMapping", kEveryoneEventRights);
  if (result == kSuccess) result = mutexSecurity.Create(L"CreateFileMapping", kEveryoneMutexRights);
  if (result != kSuccess) return result;
  channel_.mapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, mappingSecurity.Attributes(),
                                            PAGE_READWRITE, 0, kCommandBlockSize,
                                            channel_.names.mapping.c_str()));
  // A mapping that already exists may have been made by a process that reads the commands.
  if (channel_.mapping && GetLastError() == ERROR_ALREADY_EXISTS) {
    channel_.mapping.Reset();
    SetLastError(ERROR_ALREADY_EXISTS);
  }
  if (!channel_.mapping) return LogChannelError(L"Unable to create file mapping.");
  channel_.commandEvent =
      CreateChannelEvent(eventSecurity.Attributes(), channel_.names.commandEvent);
  if (channel_.commandEvent)
    channel_.replyEvent = CreateChannelEvent(eventSecurity.Attributes(), channel_.names.replyEvent);
  if (!channel_.commandEvent || !channel_.replyEvent)
    return LogChannelError(L"Unable to create event.");
  channel_.serverMutex.Reset(
      CreateMutexW(mutexSecurity.Attributes(), TRUE, channel_.names.serverMutex.c_str()));
  // A mutex someone else made first would not be abandoned when this server ends.
  if (channel_.serverMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
    channel_.serverMutex.Reset();
    SetLastError(ERROR_ALREADY_EXISTS);
  }
  if (!channel_.serverMutex) return LogChannelError(L"Unable to create the server's mutex.");
  return kSuccess;
}

ResultCode IpcServer::Map() { return MapCommandBlock(channel_); }

bool IpcServer::SignalServer() {
  // Tried every slice until the client is there: only the first attempt is logged, or a client
  // that never comes would fill the log with thousands of lines.
  const bool firstAttempt = !signalTried_;
  signalTried_ = true;
  if (firstAttempt) Log(kLogDebug, L"SignalServer " + channel_.names.readyEvent + L" started");
  // Setting it is all the server does; one that does not run as LocalSystem gets only this.
  KernelHandle ready(
      OpenEventW(kEveryoneEventRights, FALSE, channel_.names.readyEvent.c_str()));
  if (!ready) {
    if (firstAttempt) {
      Log(kLogError, L"Unable to open event " + channel_.names.readyEvent + L" LastError: " +
                         std::to_wstring(GetLastError()));
    }
    return false;
  }
  SetEvent(ready.Get());
  Log(kLogDebug, L"Server is ready");
  return true;
}

ResultCode IpcServer::WaitForCommand(const CommandHandler& handler) {
  if (!channel_.IsOpen()) return kChannelNotOpen;
  Log(kLogDebug, L"Waiting for commands. File map name: " + channel_.names.mapping);
  const ULONGLONG start = GetTickCount64();
  bool signalled = false;
  for (;;) {
    const DWORD wait = WaitForSingleObject(channel_.commandEvent.Get(), kWaitSliceMs);
    if (wait == WAIT_OBJECT_0) break;
    if (wait != WAIT_TIMEOUT) {
      const ResultCode error = GetLastError();
      WriteCommandResult(channel_.view.Get(), error);
      SetEvent(channel_.replyEvent.Get());
      return error;
    }
    if (!signalled) signalled = SignalServer();
    if (GetTickCount64() - start >= commandTimeoutMs_) {
      SetEvent(channel_.replyEvent.Get());
      return kRequestTimeout;
    }
  }
  const IpcCommand command = ReadCommand(channel_.view.Get());
  const ResultCode result = handler ? handler(command) : kSuccess;
  const auto shown = [](const std::wstring& field) {
    return LoggableText(field, kCommandFieldChars - 1);
  };
  Log(kLogDebug, L"Command " + shown(command.name) + L"(\"" + shown(command.argument1) +
                     L"\", \"" + shown(command.argument2) + L"\", \"" +
                     shown(command.argument3) + L"\") executed. Return code: " +
                     ResultText(result));
  WriteCommandResult(channel_.view.Get(), result);
  SetEvent(channel_.replyEvent.Get());
  return result;
}

}  // namespace updater
