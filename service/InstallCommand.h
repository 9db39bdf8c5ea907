#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/VersionNumber.h"
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

// Why the server will not install `update`, as evaluated on this machine, for a client; null when
// it may. Only updates that ask for the service (Advertises), that this machine needs, that would
// not replace a newer installed version (`installed`, when detection reads one) and whose
// installer is a package or a program.
const wchar_t* ServerInstallRefusal(const UpdateInfo& update, const VersionNumber* installed);

// The answer a client gets for the server's result: the updater's own codes and an installer's
// cancellation as they are; a signature that cannot be read as kSignerMismatch, which sends the
// client to a direct installation; any other Windows error as kServiceError, so that the answer
// tells nothing of the files the server looked at.
ResultCode ClientAnswer(ResultCode serverResult);

// The command server's handler. It trusts nothing of the client but the name of the update: it
// needs a signed update configuration file, fetches it itself into a private folder, evaluates the
// named update as a check does, downloads its installer there from the file's own locations,
// checks the download's content and that its publisher is the server's own, runs it without
// interface and waits for it. The client's downloads folder (argument 2) is never looked at.
class InstallCommandHandler {
 public:
  // `config` may be null: the server found no client configuration.
  InstallCommandHandler(ClientConfig* config, ServerEnvironment environment)
      : config_(config), environment_(std::move(environment)) {}

  // ClientAnswer of: 0 or the installer's cancellation (as a direct installation reports it);
  // kServiceError for what the server refuses or cannot find; the download's, content check's or
  // signature check's failure; or the error of starting the installer.
  ResultCode Execute(const IpcCommand& command);

 private:
  ResultCode Serve(const IpcCommand& command);
  ResultCode Install(const UpdateInfo& update);

  ClientConfig* config_;
  ServerEnvironment environment_;
};

}  // namespace updater
