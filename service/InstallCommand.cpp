#include "service/InstallCommand.h"

#include <windows.h>

#include "base/AnsiText.h"
#include "base/LoggableText.h"
#include "base/Logger.h"
#include "base/ProcessStart.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "config/ClientConfig.h"
#include "config/RunContext.h"
#include "engine/InstallOutcome.h"
#include "engine/InstallerTrust.h"
#include "engine/UpdateSession.h"
#include "service/ServerLaunch.h"
#include "service/ServerWorkFolder.h"

namespace updater {
namespace {

ResultCode Refuse(const std::wstring& message, ResultCode result = kServiceError) {
  Log(kLogError, message);
  return result;
}

ResultCode LogLastError(const std::wstring& message, ResultCode error) {
  return Refuse(message + L" LastError: " + ResultText(error), error);
}

// What a client sent, as the server's log may show it.
std::wstring Shown(const std::wstring& field) {
  return LoggableText(field, kCommandFieldChars - 1);
}

bool HasInstallerExtension(const std::wstring& path) {
  const size_t dot = path.find_last_of(L".\\");
  if (dot == std::wstring::npos || path[dot] != L'.') return false;
  const std::wstring extension = path.substr(dot + 1);
  return EqualsIgnoringCase(extension, L"msi") || EqualsIgnoringCase(extension, L"msp") ||
         EqualsIgnoringCase(extension, L"exe");
}

}  // namespace

std::wstring ChooseConfigurationUrl(const std::vector<std::wstring>& configured,
                                    const std::wstring& requested) {
  for (const std::wstring& url : configured) {
    if (url == requested) return url;
  }
  return configured.empty() ? std::wstring() : configured.front();
}

const wchar_t* ServerInstallRefusal(const UpdateInfo& update, const VersionNumber* installed) {
  if (!update.HasFlag(kUpdateAdvertises)) return L"it does not ask for the support service";
  if (!update.evaluated || update.skipped) return L"this machine does not need it";
  if (installed != nullptr && !AtLeast(update.version, *installed)) {
    return L"a newer version is installed";
  }
  if (!HasInstallerExtension(update.localFilePath)) {
    return L"its installer is no .msi, .msp or .exe file";
  }
  return nullptr;
}

ResultCode ClientAnswer(ResultCode serverResult) {
  if (serverResult == kSuccess || IsOwnCode(serverResult) || serverResult == kInstallUserExit ||
      serverResult == kUserCanceled) {
    return serverResult;
  }
  const ResultCode facility = serverResult & 0xFFFF0000u;
  if (facility == 0x800B0000u || facility == 0x80090000u) return kSignerMismatch;
  return kServiceError;
}

ResultCode InstallCommandHandler::Execute(const IpcCommand& command) {
  return ClientAnswer(Serve(command));
}

ResultCode InstallCommandHandler::Serve(const IpcCommand& command) {
  if (config_ == nullptr) return Refuse(L"Client config is missing.");
  // Without the publisher's signature, whoever controls the file or the connection would choose
  // what this account runs.
  if (!config_->TakesSignedFeedsOnly()) {
    return Refuse(L"The support service installs only from a signed update configuration file; "
                  L"the client configuration " + config_->Path() + L" holds no FeedPublicKey.");
  }
  if (config_->Urls().empty()) {
    return Refuse(L"The client configuration holds no update configuration URL.");
  }
  const std::wstring url = ChooseConfigurationUrl(config_->Urls(), command.argument3);
  if (url != command.argument3) {
    Log(kLogError, L"The update configuration URL " + Shown(command.argument3) +
                       L" is not one of the client configuration's; using its first URL.");
  }
  config_->ReplaceFirstUrl(url);
  Log(kLogDebug, L"Config file url is " + url);

  ServerWorkFolder work;
  if (const ResultCode made = work.Create(environment_.workParent)) {
    return LogLastError(L"Unable to create a private folder in " + environment_.workParent + L".",
                        made);
  }
  // Everything the command touches on disk lives in the private folder.
  config_->SetDownloadsFolder(work.Path());
  UpdateSession session(*config_, RunContext{}, nullptr);
  // The client already decided; a bucket the user can write is no boundary worth keeping here.
  session.SetRolloutScope(RolloutScope::AlreadyDecided);
  AvailabilityCount counts;
  const ResultCode checked = session.Check(&counts);
  if (checked != kSuccess && checked != kUpToDate) {
    return Refuse(L"Failed to parse the server config file in " + work.Path() + L" LastError: " +
                  ResultText(checked));
  }
  if (command.name != L"install") return Refuse(L"Unknown server command " + Shown(command.name));
  UpdateInfo* update = session.FindUpdate(command.argument1);
  if (update == nullptr) return Refuse(L"Unable to find update: " + Shown(command.argument1));
  VersionNumber installed;
  const bool hasInstalled = session.FindInstalledVersion(*update, &installed);
  if (const wchar_t* refusal = ServerInstallRefusal(*update, hasInstalled ? &installed : nullptr)) {
    return Refuse(L"Refused to install " + update->sectionName + L": " + refusal + L".");
  }

  update->selectedForInstall = true;
  ResultCode result = session.Download();
  if (result != kSuccess) {
    Log(kLogError, L"Unable to download the installer of " + update->sectionName + L": " +
                       ResultText(result));
  } else {
    result = Install(*update);
  }
  session.RemoveDownload(*update);
  return result;
}

ResultCode InstallCommandHandler::Install(const UpdateInfo& update) {
  if (environment_.referenceExecutable.empty()) return Refuse(L"GetModuleFileName failed.");
  const std::wstring& installer = update.localFilePath;
  // The updater itself, started by this account with arguments of the file's choosing, would
  // run whatever they name.
  if (SameFileContent(installer, environment_.referenceExecutable)) {
    return Refuse(L"Refused to install " + update.sectionName + L": its installer is the updater.");
  }
  // Always checked here, whatever the client's flags: the client may be anyone.
  if (const ResultCode verified = VerifyInstallerPublisher(environment_.referenceExecutable,
                                                           installer, PublisherRule::OwnRights)) {
    return Refuse(L"VerifyDigitalSignature failed. " + ResultText(verified), verified);
  }
  ServerLaunch launch;
  if (PlanServerLaunch(installer, SilentCommandLine(update), environment_.windowsFolder, &launch)) {
    return LogLastError(L"Unable to resolve msiexec.exe path.", kMsiexecNotFound);
  }
  // Run as LocalSystem: it gets none of the server's handles (StartProgram passes none on) and
  // keeps the server's current folder, the private one its copy was started in.
  const ProgramStart start{launch.program, launch.commandLine, std::wstring()};
  KernelHandle process;
  if (const ResultCode started = StartProgram(start, &process)) {
    return LogLastError(L"CreateProcess \"" + launch.program + L"\" with command line \"" +
                            launch.commandLine + L"\" failed.",
                        started);
  }
  WaitForSingleObject(process.Get(), INFINITE);
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return InstallerExitResult(kSuccess, exitCode);
}

}  // namespace updater
