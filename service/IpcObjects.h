#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "service/IpcNames.h"

namespace updater {

// What the server and client ends of the command channel share.

// The objects one end holds while the channel is open.
struct IpcChannel {
  IpcObjectNames names;
  KernelHandle mapping;
  KernelHandle commandEvent;
  KernelHandle replyEvent;
  // The server's life; none at a client talking to a server that does not make one.
  KernelHandle serverMutex;
  MappedView view;

  bool IsOpen() const { return mapping && commandEvent && replyEvent && view; }
};

// What every user's client needs of the channel's objects, and all it gets: to read and write the
// command block, to set, reset and wait for the events, and to wait for the server's mutex. More
// would let one user rewrite another's command, forge its result or change who may open them.
constexpr DWORD kEveryoneMappingRights = FILE_MAP_READ | FILE_MAP_WRITE;
constexpr DWORD kEveryoneEventRights = EVENT_MODIFY_STATE | SYNCHRONIZE;
constexpr DWORD kEveryoneMutexRights = SYNCHRONIZE;

// Security attributes that give Everyone `everyoneRights` and LocalSystem full access, so that a
// user's process and the LocalSystem server can both open the channel's objects.
class IpcSecurity {
 public:
  // context starts the error log line ("CreateFileMapping", "WaitForServerToBecomeReady").
  ResultCode Create(const std::wstring& context, DWORD everyoneRights);
  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }

 private:
  LocalSecurityDescriptor descriptor_;
  SECURITY_ATTRIBUTES attributes_ = {};
};

// Logs message with the last error at the Error level; answers that error (kServiceError when
// there is none), for the channel's failures that come back as results.
ResultCode LogChannelError(const std::wstring& message);

// Creates a manual-reset, non-signalled event with security; none, with the last error set,
// when it fails or when another process has created the name first.
KernelHandle CreateChannelEvent(SECURITY_ATTRIBUTES* security, const std::wstring& name);

// Maps the whole command block of the channel's mapping.
ResultCode MapCommandBlock(IpcChannel& channel);

}  // namespace updater
