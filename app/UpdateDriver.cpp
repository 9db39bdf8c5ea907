#include "app/UpdateDriver.h"

#include <utility>

#include "config/CheckSchedule.h"
#include "handover/InstanceLock.h"
#include "handover/TemporaryCopy.h"
#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "config/RunContext.h"
#include "engine/NetworkCost.h"
#include "engine/UnattendedHold.h"
#include "engine/UpdateSession.h"
#include "resources/StringIds.h"
#include "service/ServiceInstallerRunner.h"
#include "ui/ProgressEvents.h"
#include "ui/UpdateWizard.h"
#include "ui/WaitDialog.h"
#include "ui/WaitEvents.h"
#include "ui/WizardPages.h"

namespace updater {
namespace {

// A silent run whose worker ignores the cancel is not waited for longer than this.
constexpr DWORD kSilentWorkerWaitMs = 5000;

// Brings a window (the wait window, the wizard) to the front while it is shown, whenever a
// second instance was started.
template <typename Window>
class FrontListener : public InstanceListener {
 public:
  FrontListener(const Window& window, InstanceLock& lock) : window_(window), lock_(lock) {
    lock_.AddListener(this);
  }
  ~FrontListener() override { lock_.RemoveListener(this); }
  void OnInstanceSignal(WPARAM wParam, LPARAM) override {
    if (wParam == kInstanceSignalActivate) window_.BringToFront();
  }

 private:
  const Window& window_;
  InstanceLock& lock_;
};

// -dumpdetected: the detected updates go to a file that does not exist yet.
void DumpDetected(const std::wstring& file, const UpdateList& updates, bool criticalOnly) {
  if (GetFileAttributesW(file.c_str()) != INVALID_FILE_ATTRIBUTES) {
    Log(kLogInfo, L"Leaving the existing file " + file + L" alone");
    return;
  }
  const ResultCode written = WriteSelectedUpdates(file, updates, criticalOnly);
  if (written != kSuccess) {
    Log(kLogError, L"Unable to write the detected updates to " + file + L" LastError: " +
                       ResultText(written));
  }
}

// kOutsideUpdateWindow, logged, when an unattended run of `plan` starts outside the
// administrator's window by the local clock.
ResultCode HoldOutsideWindow(const ClientConfig& config, const InstallPlan& plan) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::optional<UpdateWindowHours>& window = config.Policy().updateWindow;
  const ResultCode held = UpdateWindowHold(plan, window, now.wHour * 60 + now.wMinute);
  if (held != kSuccess) {
    Log(kLogInfo, L"Silent installation held back: outside the update window " +
                      FormatUpdateWindow(*window));
  }
  return held;
}

}  // namespace

UpdateDriver::UpdateDriver(const ClientConfig& config, const RunContext& run,
                           const CommandLine& commandLine, const HandOverFile& handOver)
    : config_(config),
      run_(run),
      commandLine_(commandLine),
      handOver_(handOver),
      mode_(commandLine.mode),
      notifier_(config, SystemSupportsToasts(),
                [this](const ServerMessage& message) { return messagesWindow_.Start(message); }) {}

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

ResultCode UpdateDriver::CheckAndHandOver(SessionEvents* events) {
  UpdateSession session(config_, run_, events);
  session.SetServerMessageReader(notifier_.Reader());
  // A person who asked for updates is not kept waiting by a staged rollout.
  if (mode_ == RunMode::CheckNow) session.SetRolloutScope(RolloutScope::PersonAsked);
  AvailabilityCount counts;
  const ResultCode checked = session.Check(&counts);
  notifier_.Show();
  if (checked != kSuccess) return checked;
  session.SelectNeeded();
  return InstallThroughTemporaryCopy(config_, run_, session.Updates(), TemporaryCopyKind(mode_),
                                     commandLine_.urlOverride, session.CredentialsForCopy(),
                                     notifier_.Writer(), &copy_);
}

ResultCode UpdateDriver::RunInWindow(const Work& work, InstanceLock& lock,
                                     DWORD waitAfterCancelMs, bool asksCredentials) {
  WaitDialog dialog(LoadResourceString(IDS_CHECKING_FOR_UPDATES));
  if (mode_ == RunMode::CheckNow) dialog.KeepOpenOnResult(kUpToDate, UserResultText(kUpToDate));
  WaitOutcome outcome;
  {
    const FrontListener<WaitDialog> listener(dialog, lock);
    outcome = dialog.Run(
        [&work, asksCredentials](WaitProgress& progress) {
          WaitEvents events(progress, asksCredentials);
          return work(&events);
        },
        waitAfterCancelMs);
  }
  if (outcome.canceled) applicationMustRestart_ = true;
  return outcome.result;
}

ResultCode UpdateDriver::CheckNow() {
  InstanceLock lock;
  if (AnotherRunIsFirst(lock, ThisExecutablePath())) return lock.SignalFirst(run_.switches.startMinimized);
  if (commandLine_.minimalUserActions || run_.switches.startMinimized) {
    return CheckAndHandOver(nullptr);
  }
  // Only a check the user started asks for credentials; the silent ones use those they have.
  return RunInWindow([this](SessionEvents* events) { return CheckAndHandOver(events); }, lock,
                     INFINITE, true);
}

ResultCode UpdateDriver::SilentCheck() {
  if (!commandLine_.noFrequencyCheck) {
    if (const ResultCode due = CheckDueResult(config_); due != kSuccess) return due;
  }
  // Before any request, and leaving the next check where it is, so that the next scheduled run
  // inside the window checks.
  const InstallPlan copyPlan =
      PlanInstall(InstallModeOf(CopyModeOf(mode_)), config_.AutoUpdatePolicy(), false);
  if (const ResultCode held = HoldOutsideWindow(config_, copyPlan); held != kSuccess) return held;
  InstanceLock lock;
  if (AnotherRunIsFirst(lock, ThisExecutablePath())) return lock.SignalFirst(run_.switches.startMinimized);
  const ResultCode result =
      commandLine_.showWaitDialog
          ? RunInWindow([this](SessionEvents* events) { return CheckAndHandOver(events); }, lock,
                        kSilentWorkerWaitMs)
          : CheckAndHandOver(nullptr);
  if (IsQuietResult(result) && !commandLine_.noFrequencyCheck) {
    ScheduleSpreadCheck(config_, config_.CheckFrequency());
  }
  // Waited for only now, so that a wait window does not stay open over the copy's work.
  if (result == kSuccess && copy_.started && commandLine_.wait) {
    return WaitForTemporaryCopy(copy_);
  }
  return result;
}

ResultCode UpdateDriver::JustCheck() {
  UpdateSession session(config_, run_, nullptr);
  AvailabilityCount counts;
  if (const ResultCode checked = session.Check(&counts); checked != kSuccess) return checked;
  const bool criticalOnly = mode_ == RunMode::JustCheckCritical;
  const int ready = commandLine_.installReady ? session.CountInstallReady(criticalOnly) : 0;
  if (!commandLine_.dumpFile.empty()) {
    DumpDetected(commandLine_.dumpFile, session.Updates(), criticalOnly);
  }
  return CheckReport(criticalOnly, counts, commandLine_.installReady, ready);
}

ResultCode UpdateDriver::Install() {
  // The copy is named after the installed updater, so that it and the installed one exclude
  // each other.
  const std::wstring realPath =
      handOver_.realUpdaterPath.empty() ? ThisExecutablePath() : handOver_.realUpdaterPath;
  InstanceLock lock;
  if (!lock.Acquire(CopyLockName(realPath),
                    InstanceLockName(WithExtension(realPath, L".mtx")))) {
    return lock.SignalFirst(run_.switches.startMinimized);
  }
  UpdateSession session(config_, run_, nullptr);
  // Advertises updates go through the support service when there is one.
  ServiceInstallerRunner runner(config_, run_.switches.forceMsiBasicUi, ThisExecutablePath());
  session.SetInstallerRunner(&runner);
  if (const ResultCode loaded = session.LoadHandedOver(handOver_.serverConfigPath);
      loaded != kSuccess) {
    return loaded;
  }

  const RunSwitches& switches = run_.switches;
  const InstallPlan plan = session.PlanInstall(InstallModeOf(mode_), switches.startMinimized);
  mode_ = RunModeOf(plan.mode);
  if (const ResultCode held = HoldOutsideWindow(config_, plan); held != kSuccess) return held;
  SilentSelection selection;
  if (!session.Preselect(plan, switches.justDownload, &selection)) return kSuccess;
  // Ended before any download, also of updates whose installers are already here: the next run
  // on an unmetered link installs them all together.
  if (MeteredDownloadHold(plan, selection, config_.Policy().allowMeteredDownloads,
                          IsConnectionMetered) != kSuccess) {
    Log(kLogInfo, L"Automatic download held back: the connection is metered");
    return kMeteredConnection;
  }
  ResultCode result = kSuccess;
  if (switches.noGui) {
    result = session.DownloadAndInstall(switches.justDownload);
  } else if (switches.reducedGui) {
    result = RunReducedWindow(session, lock);
  } else {
    result = RunWizard(session, plan, lock);
  }
  if (ApplicationMustRestartAfter(session.Updates())) applicationMustRestart_ = true;
  return result;
}

ResultCode UpdateDriver::RunWizard(UpdateSession& session, const InstallPlan& plan,
                                   InstanceLock& lock) {
  UpdateWizard wizard(config_, session, WizardPages(plan.mode), run_.switches.justDownload,
                      plan.startMinimized);
  WizardOutcome outcome;
  {
    const FrontListener<UpdateWizard> listener(wizard, lock);
    outcome = wizard.Run();
  }
  Log(kLogTrace, FormatText(L"Updater wizard ended. Return code: %u", outcome.result));
  if (outcome.sheetResult == 0) {
    // Like a cancelled wait window: the application closed for the update starts again.
    Log(kLogInfo, L"The update wizard was closed without finishing");
    applicationMustRestart_ = true;
  }
  return outcome.result;
}

ResultCode UpdateDriver::RunReducedWindow(UpdateSession& session, InstanceLock& lock) {
  const bool justDownload = run_.switches.justDownload;
  const std::wstring action =
      LoadResourceString(justDownload ? IDS_DOWNLOADING_UPDATES : IDS_INSTALLING_UPDATES);
  WaitDialog window(FormatText(LoadResourceString(IDS_TITLE_FOR_APP).c_str(), action.c_str(),
                               config_.ApplicationName().c_str()));
  window.DisableCancel();
  const FrontListener<WaitDialog> listener(window, lock);
  return window
      .Run([&session, justDownload](WaitProgress& progress) {
        return DownloadAndInstallWith(session, progress, justDownload);
      })
      .result;
}

}  // namespace updater
