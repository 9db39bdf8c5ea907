#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "service/CommandBlock.h"
#include "service/IpcObjects.h"

namespace updater {

// The client end of the command channel: waits for the server started for it, then hands it
// one command and waits for the result.
class IpcClient {
 public:
  // readyTimeoutMs: how long WaitForServerToBecomeReady waits for the server.
  explicit IpcClient(DWORD readyTimeoutMs = 60000) : readyTimeoutMs_(readyTimeoutMs) {}

  void Open(const std::wstring& baseName);
  // kSuccess once the server has signalled; kRequestTimeout when it did not in time.
  ResultCode WaitForServerToBecomeReady();
  ResultCode Connect();
  ResultCode Map();
  // The server's result for the command; kChannelNotOpen before Connect and Map succeeded,
  // kServiceError when the server ended without replying.
  ResultCode Send(const IpcCommand& command);

 private:
  DWORD readyTimeoutMs_;
  IpcChannel channel_;
};

}  // namespace updater
