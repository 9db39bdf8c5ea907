#include "app/UpdateDriver.h"

#include "app/CheckSchedule.h"
#include "app/ClientConfig.h"
#include "app/ExecutablePath.h"
#include "app/InstanceLock.h"
#include "app/Logger.h"
#include "app/ResultText.h"
#include "app/SelectedDownloads.h"
#include "app/TemporaryCopy.h"
#include "app/TokenList.h"
#include "app/UpdateCheck.h"
#include "catalogue/Selection.h"
#include "catalogue/ServerConfig.h"
#include "install/UpdateInstaller.h"
#include "resources/StringIds.h"
#include "ui/WaitCallback.h"
#include "ui/WaitDialog.h"

namespace updater {
namespace {

// A silent run whose worker ignores the cancel is not waited for longer than this.
constexpr DWORD kSilentWorkerWaitMs = 5000;

// Brings the wait window to the front when a second instance was started.
class WaitWindowListener : public InstanceListener {
 public:
  explicit WaitWindowListener(const WaitDialog& dialog) : dialog_(dialog) {}
  void OnInstanceSignal(WPARAM wParam, LPARAM) override {
    if (wParam == kInstanceSignalActivate) dialog_.BringToFront();
  }

 private:
  const WaitDialog& dialog_;
};

// The mode a temporary copy started as /install silent takes by the user's policy.
RunMode ModeByPolicy(RunMode mode, bool hasPolicy, DWORD policy) {
  if (mode != RunMode::InstallSilent || !hasPolicy) return mode;
  if (policy == kAutoUpdatePolicyAutoAll) return RunMode::InstallSilentAll;
  if (policy == kAutoUpdatePolicyAutoCritical) return RunMode::InstallSilentCritical;
  return mode;
}

}  // namespace

UpdateDriver::UpdateDriver(ClientConfig& config, const CommandLine& commandLine,
                           const HandOverFile& handOver)
    : config_(config), commandLine_(commandLine), handOver_(handOver), mode_(commandLine.mode) {}

ResultCode UpdateDriver::Run() {
  switch (mode_) {
    case RunMode::CheckNow:
      return CheckNow();
    case RunMode::Silent:
    case RunMode::SilentAll:
    case RunMode::SilentCritical:
      return SilentCheck();
    case RunMode::JustCheck:
    case RunMode::JustCheckCritical:
      return JustCheck();
    case RunMode::Install:
    case RunMode::InstallSilent:
    case RunMode::InstallSilentAll:
    case RunMode::InstallSilentCritical:
      return Install();
    default:
      return kNotImplemented;
  }
}

void UpdateDriver::WireHandOver(UpdateCheck& check) const {
  check.SetCopyHandOver([this](const UpdateList& updates, RunMode mode) {
    return InstallThroughTemporaryCopy(config_, updates, mode, commandLine_.urlOverride,
                                       std::wstring());
  });
}

ResultCode UpdateDriver::CheckInWindow(UpdateCheck& check, InstanceLock& lock,
                                       DWORD waitAfterCancelMs) {
  WaitDialog dialog(LoadResourceString(IDS_CHECKING_FOR_UPDATES));
  if (mode_ == RunMode::CheckNow) dialog.KeepOpenOnResult(kUpToDate, ResultText(kUpToDate));
  WaitWindowListener listener(dialog);
  lock.AddListener(&listener);
  const WaitOutcome outcome = dialog.Run(
      [&check](WaitProgress& progress) {
        WaitCallback callback(progress);
        return check.Run(&callback);
      },
      waitAfterCancelMs);
  lock.RemoveListener(&listener);
  if (outcome.canceled) applicationMustRestart_ = true;
  return outcome.result;
}

ResultCode UpdateDriver::CheckNow() {
  InstanceLock lock;
  if (!lock.Acquire(InstanceLockName(ThisExecutablePath()))) {
    return lock.SignalFirst(config_.Switches().startMinimized);
  }
  UpdateCheck check(config_, UpdateCheckOptions{mode_, false, std::wstring()});
  WireHandOver(check);
  if (commandLine_.minimalUserActions || config_.Switches().startMinimized) {
    return check.Run(nullptr);
  }
  return CheckInWindow(check, lock, INFINITE);
}

ResultCode UpdateDriver::SilentCheck() {
  if (!commandLine_.noFrequencyCheck) {
    if (const ResultCode due = CheckDueResult(config_); due != kSuccess) return due;
  }
  InstanceLock lock;
  if (!lock.Acquire(InstanceLockName(ThisExecutablePath()))) {
    return lock.SignalFirst(config_.Switches().startMinimized);
  }
  UpdateCheck check(config_, UpdateCheckOptions{mode_, false, std::wstring()});
  WireHandOver(check);
  const ResultCode result = commandLine_.showWaitDialog
                                ? CheckInWindow(check, lock, kSilentWorkerWaitMs)
                                : check.Run(nullptr);
  if (IsQuietResult(result) && !commandLine_.noFrequencyCheck) {
    ScheduleNextCheck(config_, config_.CheckFrequency());
  }
  return result;
}

ResultCode UpdateDriver::JustCheck() {
  UpdateCheck check(config_,
                    UpdateCheckOptions{mode_, commandLine_.installReady, commandLine_.dumpFile});
  return check.Run(nullptr);
}

ResultCode UpdateDriver::Install() {
  // The copy is named after the installed updater, so that it and the installed one exclude
  // each other.
  const std::wstring realPath =
      handOver_.realUpdaterPath.empty() ? ThisExecutablePath() : handOver_.realUpdaterPath;
  InstanceLock lock;
  if (!lock.Acquire(InstanceLockName(WithExtension(realPath, L".tmp")),
                    InstanceLockName(WithExtension(realPath, L".mtx")))) {
    return lock.SignalFirst(config_.Switches().startMinimized);
  }
  UpdateList updates;
  ServerConfig source(handOver_.serverConfigPath, config_, updates);
  if (const ResultCode loaded = source.Load(false, false); loaded != kSuccess) return loaded;
  // The installed updater wrote only the updates it found needed.
  for (UpdateInfo& update : updates.updates) update.evaluated = true;

  DWORD policy = 0;
  const bool hasPolicy =
      config_.Settings().ReadDword(SettingsKey::Settings, L"AutoUpdatePolicy", &policy);
  mode_ = ModeByPolicy(mode_, hasPolicy, policy);
  if (mode_ == RunMode::InstallSilentAll || mode_ == RunMode::InstallSilentCritical) {
    return SilentInstall(updates);
  }
  Log(kLogError, L"The update wizard is not available in this build");
  return kNotImplemented;
}

ResultCode UpdateDriver::SilentInstall(UpdateList& updates) {
  const RunSwitches& switches = config_.Switches();
  const SilentSelection selection =
      SelectForSilentInstall(updates, mode_ == RunMode::InstallSilentCritical);
  Log(kLogInfo, FormatText(L"Updates selected: %d, to download: %d", selection.selected,
                           selection.toDownload));
  if (selection.selected == 0 || (switches.justDownload && selection.toDownload == 0)) {
    return kSuccess;
  }
  if (!switches.noGui) {
    Log(kLogError, L"The update wizard is not available in this build");
    return kNotImplemented;
  }
  const ResultCode downloaded = DownloadSelectedUpdates(updates, config_, nullptr);
  if (downloaded == kCanceled || switches.justDownload) return downloaded;
  // An update whose download failed keeps its state and is left out; the others still install.
  const ResultCode installed = InstallSelectedUpdates(updates, config_, nullptr);
  return installed != kSuccess ? installed : downloaded;
}

}  // namespace updater
