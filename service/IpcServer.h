#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "base/ResultCode.h"
#include "service/CommandBlock.h"
#include "service/IpcObjects.h"

namespace updater {

// The server end of the command channel: creates the block, the command and reply events and the
// mutex its creating thread owns until it ends, tells the waiting client that it is ready, and
// executes one command.
class IpcServer {
 public:
  using CommandHandler = std::function<ResultCode(const IpcCommand&)>;

  // commandTimeoutMs: how long WaitForCommand waits for a client before it gives up.
  explicit IpcServer(DWORD commandTimeoutMs = 60000) : commandTimeoutMs_(commandTimeoutMs) {}

  ResultCode Create(const std::wstring& baseName);
  ResultCode Map();
  // Executes one command with handler (0 without one) and replies. Answers the handler's
  // result, kRequestTimeout when no command came in time, or the failed wait's error.
  ResultCode WaitForCommand(const CommandHandler& handler);
  // Sets the client's ready event; false while the client has not created it yet.
  bool SignalServer();

 private:
  DWORD commandTimeoutMs_;
  IpcChannel channel_;
  bool signalTried_ = false;
};

}  // namespace updater
