#include "service/IpcServer.h"

#include "base/Logger.h"
#include "base/ResultText.h"
#include "service/IpcObjects.h"

namespace updater {
namespace {

constexpr DWORD kWaitSliceMs = 10;

}  // namespace

ResultCode IpcServer::Create(const std::wstring& baseName) {
  Log(kLogDebug, L"IPC Object name base: " + baseName);
  names_ = MakeIpcObjectNames(baseName);
  IpcSecurity security;
  if (const ResultCode result = security.Create(L"CreateFileMapping")) return result;
  mapping_.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, security.Attributes(), PAGE_READWRITE, 0,
                                    kCommandBlockSize, names_.mapping.c_str()));
  // A mapping that already exists may have been made by a process that reads the commands.
  if (mapping_ && GetLastError() == ERROR_ALREADY_EXISTS) {
    mapping_.Reset();
    SetLastError(ERROR_ALREADY_EXISTS);
  }
  if (!mapping_) return LogChannelError(L"Unable to create file mapping.");
  commandEvent_ = CreateChannelEvent(security.Attributes(), names_.commandEvent);
  if (commandEvent_) replyEvent_ = CreateChannelEvent(security.Attributes(), names_.replyEvent);
  if (!commandEvent_ || !replyEvent_) return LogChannelError(L"Unable to create event.");
  return kSuccess;
}

ResultCode IpcServer::Map() {
  return MapCommandBlock(mapping_, view_);
}

bool IpcServer::SignalServer() {
  Log(kLogDebug, L"SignalServer " + names_.readyEvent + L" started");
  KernelHandle ready(OpenEventW(EVENT_ALL_ACCESS, FALSE, names_.readyEvent.c_str()));
  if (!ready) {
    Log(kLogError, L"Unable to open event " + names_.readyEvent + L" LastError: " +
                       std::to_wstring(GetLastError()));
    return false;
  }
  SetEvent(ready.Get());
  Log(kLogDebug, L"Server is ready");
  return true;
}

ResultCode IpcServer::WaitForCommand(const CommandHandler& handler) {
  if (!view_ || !commandEvent_ || !replyEvent_) return kChannelNotOpen;
  Log(kLogDebug, L"Waiting for commands. File map name: " + names_.mapping);
  const ULONGLONG start = GetTickCount64();
  bool signalled = false;
  for (;;) {
    const DWORD wait = WaitForSingleObject(commandEvent_.Get(), kWaitSliceMs);
    if (wait == WAIT_OBJECT_0) break;
    if (wait != WAIT_TIMEOUT) {
      const ResultCode error = GetLastError();
      WriteCommandResult(view_.Get(), error);
      SetEvent(replyEvent_.Get());
      return error;
    }
    if (!signalled) signalled = SignalServer();
    if (GetTickCount64() - start >= commandTimeoutMs_) {
      SetEvent(replyEvent_.Get());
      return kRequestTimeout;
    }
  }
  const IpcCommand command = ReadCommand(view_.Get());
  const ResultCode result = handler ? handler(command) : kSuccess;
  Log(kLogDebug, L"Command " + command.name + L"(\"" + command.argument1 + L"\", \"" +
                     command.argument2 + L"\", \"" + command.argument3 +
                     L"\") executed. Return code: " + ResultText(result));
  WriteCommandResult(view_.Get(), result);
  SetEvent(replyEvent_.Get());
  return result;
}

}  // namespace updater
