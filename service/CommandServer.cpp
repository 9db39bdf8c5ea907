#include "service/CommandServer.h"

#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "base/UserTempPath.h"
#include "service/InstallCommand.h"
#include "service/IpcNames.h"
#include "service/IpcServer.h"
#include "service/ServerLaunch.h"
#include "service/ServerSlots.h"

namespace updater {

ResultCode RunCommandServer(ClientConfig* config, const std::wstring& ipcBaseName) {
  const KernelHandle slot = TakeServerSlot(ExecutableBaseName(ThisExecutablePath()));
  if (!slot) {
    Log(kLogError, FormatText(L"%d command servers are running already; this one ends.",
                              kMaxCommandServers));
    return kServiceError;
  }
  IpcServer server;
  if (!IsValidIpcBaseName(ipcBaseName) || server.Create(ipcBaseName) != kSuccess ||
      server.Map() != kSuccess) {
    return kUnknownException;
  }
  InstallCommandHandler handler(
      config, {ThisExecutablePath(), UserTempPath(), WindowsFolderFromEnvironment()});
  server.WaitForCommand([&handler](const IpcCommand& command) { return handler.Execute(command); });
  return kSuccess;
}

}  // namespace updater
