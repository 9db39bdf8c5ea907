#include "service/InstallCommand.h"

#include <windows.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "catalogue/DownloadState.h"
#include "catalogue/ServerConfig.h"
#include "config/ClientConfig.h"
#include "engine/ConfigurationFetch.h"
#include "install/InstallOutcome.h"
#include "service/ServerLaunch.h"
#include "service/ServerWorkFolder.h"
#include "transfer/ContentCheck.h"
#include "transfer/SignatureCheck.h"

namespace updater {
namespace {

ResultCode Refuse(const std::wstring& message, ResultCode result = kServiceError) {
  Log(kLogError, message);
  return result;
}

ResultCode LogLastError(const std::wstring& message, ResultCode error) {
  return Refuse(message + L" LastError: " + ResultText(error), error);
}

}  // namespace

std::wstring ChooseConfigurationUrl(const std::vector<std::wstring>& configured,
                                    const std::wstring& requested) {
  for (const std::wstring& url : configured) {
    if (url == requested) return url;
  }
  return configured.empty() ? std::wstring() : configured.front();
}

ResultCode InstallCommandHandler::Execute(const IpcCommand& command) {
  if (config_ == nullptr) return Refuse(L"Client config is missing.");
  if (config_->Urls().empty()) {
    return Refuse(L"The client configuration holds no update configuration URL.");
  }
  // Only read from, but it must name a folder the way the client's own downloads folder does.
  if (!IsAbsoluteWindowsPath(command.argument2) || command.argument2.size() >= MAX_PATH) {
    return Refuse(L"Invalid downloads folder: " + command.argument2);
  }
  config_->SetDownloadsFolder(command.argument2);
  const std::wstring url = ChooseConfigurationUrl(config_->Urls(), command.argument3);
  if (url != command.argument3) {
    Log(kLogError, L"The update configuration URL " + command.argument3 +
                       L" is not one of the client configuration's; using its first URL.");
  }
  config_->ReplaceFirstUrl(url);
  Log(kLogDebug, L"Config file url is " + url);

  ServerWorkFolder work;
  if (const ResultCode made = work.Create(environment_.workParent)) {
    return LogLastError(L"Unable to create a private folder in " + environment_.workParent + L".",
                        made);
  }
  std::wstring localPath;
  UpdateList updates;
  if (LocalConfigurationPath(work.Path(), url, &localPath) != kSuccess ||
      FetchConfiguration(*config_, localPath, nullptr, nullptr) != kSuccess ||
      ServerConfig(localPath, *config_, updates).Load(true, true) != kSuccess) {
    return Refuse(L"Failed to parse the server config file " + localPath + L" LastError: " +
                  ResultText(kServiceError));
  }
  if (command.name != L"install") return Refuse(L"Unknown server command " + command.name);
  UpdateInfo* update = FindUpdate(updates, command.argument1);
  if (update == nullptr) return Refuse(L"Unable to find update: " + command.argument1);
  const DownloadState state = InspectDownload(*update).state;
  if (state != DownloadState::Downloaded) {
    return Refuse(L"Invalid update state: " + std::to_wstring(static_cast<int>(state)));
  }
  return Install(*update, work);
}

ResultCode InstallCommandHandler::Install(const UpdateInfo& update, ServerWorkFolder& work) {
  if (environment_.referenceExecutable.empty()) return Refuse(L"GetModuleFileName failed.");
  const std::wstring name = update.localFilePath.substr(update.localFilePath.rfind(L'\\') + 1);
  std::wstring installer;
  if (const ResultCode copied = work.CopyIn(update.localFilePath, update.size, name, &installer)) {
    return LogLastError(L"Unable to copy the installer " + update.localFilePath + L".", copied);
  }
  const ExpectedContent expected{update.size, update.sha256, update.md5};
  if (const ResultCode checked = CheckContent(installer, expected)) {
    return Refuse(L"The installer differs from the update configuration file's: " +
                      ResultText(checked),
                  checked);
  }
  // Always checked here, whatever the client's flags: the client may be anyone.
  if (const ResultCode verified = VerifySamePublisher(environment_.referenceExecutable, installer)) {
    return Refuse(L"VerifyDigitalSignature failed. " + ResultText(verified), verified);
  }
  ServerLaunch launch;
  if (PlanServerLaunch(installer, SilentCommandLine(update), environment_.windowsFolder, &launch)) {
    return LogLastError(L"Unable to resolve msiexec.exe path.", kMsiexecNotFound);
  }
  std::wstring commandLine = launch.commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(launch.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &started)) {
    return LogLastError(L"CreateProcess \"" + launch.program + L"\" with command line \"" +
                            launch.commandLine + L"\" failed.",
                        GetLastError());
  }
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return InstallerExitResult(kSuccess, exitCode);
}

}  // namespace updater
