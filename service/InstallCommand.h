#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"
#include "service/CommandBlock.h"

namespace updater {

class ClientConfig;
class ServerWorkFolder;

// What the command server works with besides its configuration.
struct ServerEnvironment {
  // The server's own executable: installers must carry its publisher's signature.
  std::wstring referenceExecutable;
  // Where the server makes its private work folders (ending in "\").
  std::wstring workParent;
  // The Windows folder, where msiexec.exe is found.
  std::wstring windowsFolder;
};

// The update configuration URL the server fetches: the client's when it is one of the
// configuration's own URLs, else the first of them, so that no client can pick the server's
// catalogue.
std::wstring ChooseConfigurationUrl(const std::vector<std::wstring>& configured,
                                    const std::wstring& requested);

// The command server's handler. It trusts nothing of the client but the name of the update: it
// fetches the update configuration file itself into a private folder, copies the installer from
// the client's downloads folder next to it, checks the copy's content and that its publisher is
// the server's own, runs the copy without interface and waits for it.
class InstallCommandHandler {
 public:
  // `config` may be null: the server found no client configuration.
  InstallCommandHandler(ClientConfig* config, ServerEnvironment environment)
      : config_(config), environment_(std::move(environment)) {}

  // 0 or the installer's cancellation (as a direct installation reports it); kServiceError for
  // what the server refuses or cannot find, the content or signature check's failure, or the
  // error of starting the installer.
  ResultCode Execute(const IpcCommand& command);

 private:
  ResultCode Install(const UpdateInfo& update, ServerWorkFolder& work);

  ClientConfig* config_;
  ServerEnvironment environment_;
};

}  // namespace updater
