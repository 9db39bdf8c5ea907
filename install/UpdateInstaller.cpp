#include "install/UpdateInstaller.h"

#include <windows.h>

#include "app/ClientConfig.h"
#include "app/Logger.h"
#include "app/ResultText.h"
#include "app/TokenList.h"
#include "catalogue/Detection.h"
#include "catalogue/DownloadState.h"
#include "catalogue/DownloadedFile.h"
#include "catalogue/Selection.h"
#include "install/AutoCloseApplication.h"
#include "install/InstallOutcome.h"
#include "install/InstallRecords.h"
#include "install/InstallerLaunch.h"
#include "transfer/SignatureCheck.h"
#include "transfer/UpdaterCallback.h"

namespace updater {
namespace {

// An installer that replaces a program still running fails or asks for a reboot, so a closed
// application gets this long to end before the installer starts.
constexpr DWORD kApplicationExitWaitMs = 10000;

ResultCode VerifyInstaller(const UpdateInfo& update) {
  wchar_t self[MAX_PATH];
  const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
  if (length == 0 || length == MAX_PATH) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INSUFFICIENT_BUFFER;
  }
  return VerifyDigitalSignature(self, update.localFilePath);
}

void CloseApplications(UpdateInfo& update) {
  for (AutoCloseEntry& application : update.autoCloseApplications) {
    const bool wasRunning = CloseApplication(application);
    application.restart = RestartWanted(application.flags, wasRunning);
    if (wasRunning && !WaitForApplicationExit(application, kApplicationExitWaitMs)) {
      Log(kLogInfo, L"Application still running: " + application.application);
    }
  }
}

ResultCode RunHere(const UpdateInfo& update, const ClientConfig& config) {
  if (update.HasFlag(kUpdateAdvertises)) {
    // No support service is configured to hand it to, so it is installed by this process.
    Log(kLogError, ResultText(kUnknownException));
  }
  DWORD exitCode = 0;
  const ResultCode launch =
      RunInstaller(update, config.Switches().forceMsiBasicUi, true, &exitCode);
  if (Logger::Instance().ShouldLog(kLogTrace)) {
    Log(kLogTrace, L"Update \"" + update.name + L"\" installer runned. Exit code: " +
                       std::to_wstring(exitCode) + L". Return code: " + ResultText(launch));
  }
  return InstallerExitResult(launch, exitCode);
}

}  // namespace

ResultCode InstallUpdate(UpdateInfo& update, const ClientConfig& config) {
  if (GetDownloadState(update) != DownloadState::Downloaded) return update.state;
  if (config.HasFlag(kFlagVerifyDigitalSignature)) {
    if (const ResultCode verified = VerifyInstaller(update); verified != kSuccess) {
      update.state = verified;
    }
  }
  if (update.state != kSuccess) return update.state;
  if (update.dependsOn != nullptr && !IsInstalled(*update.dependsOn)) {
    update.state = kDependencyNotInstalled;
    return update.state;
  }
  CloseApplications(update);
  update.state = RunHere(update, config);
  if (update.state == kSuccess && !update.HasFlag(kUpdateNoRedetect) && !IsInstalled(update)) {
    update.state = kInstallationFailed;
    return update.state;
  }
  if (update.HasFlag(kUpdateNoCache)) {
    Log(kLogDebug, L"Removed cached update installer.");
    RemoveDownloadedFile(update);
  }
  return update.state;
}

ResultCode InstallSelectedUpdates(UpdateList& list, const ClientConfig& config,
                                  UpdaterCallback* callback) {
  const std::vector<UpdateInfo*> batch = InstallOrder(list);
  RecordInstallBatch(config.Settings(), batch);
  if (callback != nullptr && config.HasFlag(kFlagNoUpdaterInstallGui)) {
    callback->BeginAction(kActionInstallBatch, 0, nullptr);
  }
  ResultCode result = kSuccess;
  for (UpdateInfo* update : batch) {
    if (callback != nullptr) callback->BeginAction(kActionInstallOne, 0, update->name.c_str());
    const ResultCode installed = InstallUpdate(*update, config);
    if (installed != kSuccess) {
      result = installed;
      if (callback != nullptr) callback->Error(nullptr, installed, nullptr);
    }
    if (callback != nullptr) callback->EndAction(kActionInstallOne, installed);
  }
  if (result == kSuccess) {
    for (UpdateInfo& update : list.updates) {
      if (!update.selectedForInstall) continue;
      for (const AutoCloseEntry& application : update.autoCloseApplications) {
        RestartApplication(application);
      }
    }
  }
  RemoveInstallRecords(config.Settings(), batch);
  return result;
}

}  // namespace updater
