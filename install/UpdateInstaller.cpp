#include "install/UpdateInstaller.h"

#include <windows.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/Detection.h"
#include "catalogue/DownloadState.h"
#include "catalogue/DownloadedFile.h"
#include "catalogue/Selection.h"
#include "install/AutoCloseApplication.h"
#include "install/InstallRecords.h"
#include "install/InstallerHold.h"
#include "transfer/SignatureCheck.h"
#include "transfer/UpdateEvents.h"

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

// A changed installer goes, so that the next run downloads it again.
bool IsContentMismatch(ResultCode result) {
  return result == kSha256Mismatch || result == kMd5Mismatch || result == kSizeMismatch;
}

void CloseApplications(UpdateInfo& update) {
  for (AutoCloseEntry& application : update.autoCloseApplications) {
    const bool wasRunning = CloseApplication(application);
    application.restart = RestartWanted(application.flags, wasRunning);
    application.closed = wasRunning;
    if (wasRunning && !WaitForApplicationExit(application, kApplicationExitWaitMs)) {
      Log(kLogInfo, L"Application still running: " + application.application);
    }
  }
}

}  // namespace

ResultCode InstallUpdate(UpdateInfo& update, const InstallContext& context) {
  if (GetDownloadState(context.settings, update) != DownloadState::Downloaded) return update.state;
  // Held across the runner's call, whichever runner starts the installer.
  FileHandle installer;
  if (const ResultCode held = HoldInstaller(update, &installer); held != kSuccess) {
    Log(kLogError, L"Update \"" + update.name + L"\" installer refused before its start: " +
                       ResultText(held));
    if (IsContentMismatch(held)) RemoveDownloadedFile(context.settings, update);
    update.state = held;
    return update.state;
  }
  if (context.verifySignature) {
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
  update.state = context.runInstaller(update);
  update.installerSucceeded = update.state == kSuccess;
  installer.Reset();
  if (update.state == kSuccess && !update.HasFlag(kUpdateNoRedetect) && !IsInstalled(update)) {
    update.state = kInstallationFailed;
    return update.state;
  }
  if (update.HasFlag(kUpdateNoCache)) {
    Log(kLogDebug, L"Removed cached update installer.");
    RemoveDownloadedFile(context.settings, update);
  }
  return update.state;
}

ResultCode InstallSelectedUpdates(UpdateList& list, const InstallContext& context,
                                  UpdateEvents& events) {
  const std::vector<UpdateInfo*> batch =
      InstallOrder(list, [&context](const UpdateInfo& update) {
        return GetDownloadState(context.settings, update);
      });
  RecordInstallBatch(context.settings, batch);
  if (context.announceBatch) events.ActionBegun(UpdateAction::InstallBatch, 0, std::wstring());
  ResultCode result = kSuccess;
  for (UpdateInfo* update : batch) {
    events.ActionBegun(UpdateAction::InstallOne, 0, update->name);
    const ResultCode installed = InstallUpdate(*update, context);
    if (installed != kSuccess) {
      result = installed;
      events.Failed(installed, update->name);
    }
    events.ActionEnded(UpdateAction::InstallOne, installed);
  }
  if (result == kSuccess) {
    for (UpdateInfo& update : list.updates) {
      if (!update.selectedForInstall) continue;
      for (const AutoCloseEntry& application : update.autoCloseApplications) {
        RestartApplication(application);
      }
    }
  }
  RemoveInstallRecords(context.settings, batch);
  if (context.announceBatch) events.ActionEnded(UpdateAction::InstallBatch, result);
  return result;
}

}  // namespace updater
