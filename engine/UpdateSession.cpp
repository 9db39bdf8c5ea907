#include "engine/UpdateSession.h"

#include <memory>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/Detection.h"
#include "catalogue/DownloadedFile.h"
#include "catalogue/GitHubSource.h"
#include "catalogue/ServerConfig.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"
#include "config/RunContext.h"
#include "engine/ConfigurationFetch.h"
#include "engine/HoldBackEvaluator.h"
#include "engine/RolloutEvaluator.h"
#include "engine/SelectedDownloads.h"
#include "engine/ServerWait.h"
#include "engine/SessionEventsBridge.h"
#include "engine/TargetVersionPin.h"
#include "install/UpdateInstaller.h"
#include "transfer/CredentialProvider.h"
#include "transfer/RememberedCredentials.h"

namespace updater {

ResultCode CheckReport(bool criticalOnly, const AvailabilityCount& counts, bool installReady,
                       int readyCount) {
  if (counts.needed == 0) return kUpToDate;
  if (criticalOnly && counts.critical == 0) return kUpToDate;
  if (installReady && readyCount == 0) return kUpToDate;
  return kSuccess;
}

bool ApplicationMustRestartAfter(const UpdateList& updates) {
  for (const UpdateInfo& update : updates.updates) {
    if (update.installerSucceeded) return true;
    for (const AutoCloseEntry& application : update.autoCloseApplications) {
      if (application.closed) return true;
    }
  }
  return false;
}

struct UpdateSession::Parts {
  SessionEventsBridge events;
  // Remembered credentials and those handed over, for every download of the session; offered
  // only to the configuration's own servers and proxy.
  CredentialProvider credentials;
};

UpdateSession::UpdateSession(const ClientConfig& config, const RunContext& run,
                             SessionEvents* events)
    : config_(config),
      parts_(std::make_unique<Parts>()),
      downloadState_([&config](const UpdateInfo& update) {
        return GetDownloadState(config.Settings(), update);
      }),
      directRunner_(run.switches.forceMsiBasicUi) {
  parts_->events.SetTarget(events);
  CredentialProvider& credentials = parts_->credentials;
  credentials.SetScope(CredentialScope(config.Urls(), config.Proxy()));
  AttachRememberedCredentials(config.Settings(), &credentials);
  if (!run.credentials.userName.empty()) {
    credentials.Enter({run.credentials.userName, run.credentials.password});
  }
}

UpdateSession::~UpdateSession() = default;

void UpdateSession::SetEvents(SessionEvents* events) { parts_->events.SetTarget(events); }

ResultCode UpdateSession::Check(AvailabilityCount* counts) {
  *counts = AvailabilityCount{};
  if (config_.Policy().disableUpdates) {
    Log(kLogInfo, L"Updates are turned off by the administrator's policy (DisableUpdates); no "
                  L"request made");
    parts_->events.Failed(kUpdatesDisabledByAdministrator, std::wstring());
    return kUpdatesDisabledByAdministrator;
  }
  std::wstring localPath;
  if (config_.Urls().empty() ||
      LocalConfigurationPath(config_.DownloadsFolder(), config_.Urls().front(), &localPath) !=
          kSuccess) {
    Log(kLogError, L"URL names no file to keep in the downloads folder: " +
                       (config_.Urls().empty() ? std::wstring() : config_.Urls().front()));
    parts_->events.Failed(kInvalidClientConfig, std::wstring());
    return kInvalidClientConfig;
  }
  // Before any request: the server asked not to be contacted for a while.
  if (const ResultCode waiting = HeedServerWait(config_); waiting != kSuccess) {
    parts_->events.Failed(waiting, std::wstring());
    return waiting;
  }
  std::string signedPart;
  if (const ResultCode fetched =
          FetchConfiguration(config_, localPath, &parts_->events, &parts_->credentials,
                             &signedPart);
      fetched != kSuccess) {
    return fetched;
  }
  std::unique_ptr<UpdateSource> source;
  if (config_.HasFlag(kFlagGitHubUpdates)) {
    source = std::make_unique<GitHubSource>(
        localPath, config_, updates_,
        [this](const std::wstring& url, DWORD size, const std::wstring& path) {
          return FetchReleaseAsset(config_, url, size, path, &parts_->events,
                                   &parts_->credentials);
        });
  } else {
    auto serverConfig = std::make_unique<ServerConfig>(localPath, config_, updates_);
    serverConfig->SetServerMessageReader(messageReader_);
    if (config_.TakesSignedFeedsOnly()) serverConfig->SetVerifiedBytes(std::move(signedPart));
    source = std::move(serverConfig);
  }
  if (const ResultCode loaded = source->Load(true, true); loaded != kSuccess) {
    parts_->events.Failed(loaded, localPath);
    return loaded;
  }

  SystemUpdateEvaluator systemEvaluator(
      ClientFacts{config_.ApplicationName(), config_.ApplicationVersion()});
  VersionNumber target;
  const bool pinned = ParseTargetVersion(config_.Policy().targetVersion, &target);
  HoldBackEvaluator pin(systemEvaluator,
                        [&target](const UpdateInfo& update) { return PinHoldsBack(update, target); });
  UpdateEvaluator& evaluator = pinned ? static_cast<UpdateEvaluator&>(pin) : systemEvaluator;
  *counts = CountAvailableInRollout(updates_, evaluator, rolloutScope_, config_.Settings());
  if (pinned) {
    Log(kLogInfo, FormatText(L"Updates held back by the administrator's TargetVersion %s: %d",
                             target.ToString().c_str(), pin.HeldBack()));
  }
  Log(kLogInfo, FormatText(L"Updates needed: %d, critical: %d", counts->needed, counts->critical));
  return counts->needed == 0 ? kUpToDate : kSuccess;
}

ResultCode UpdateSession::LoadHandedOver(const std::wstring& path) {
  ServerConfig source(path, config_, updates_);
  if (const ResultCode loaded = source.Load(false, false); loaded != kSuccess) return loaded;
  for (UpdateInfo& update : updates_.updates) update.evaluated = true;
  return kSuccess;
}

int UpdateSession::SelectNeeded() {
  int selected = 0;
  for (UpdateInfo& update : updates_.updates) {
    update.selectedForInstall = update.evaluated;
    if (update.evaluated) ++selected;
  }
  return selected;
}

InstallPlan UpdateSession::PlanInstall(InstallMode asked, bool startMinimized) const {
  return updater::PlanInstall(asked, config_.AutoUpdatePolicy(), startMinimized);
}

bool UpdateSession::Preselect(const InstallPlan& plan, bool justDownload,
                              SilentSelection* selection) {
  if (plan.preselection == Preselection::None) return true;
  const SilentSelection made = SelectForSilentInstall(
      updates_, plan.preselection == Preselection::CriticalOnly, downloadState_);
  Log(kLogInfo, FormatText(L"Updates selected: %d, to download: %d", made.selected,
                           made.toDownload));
  if (selection != nullptr) *selection = made;
  return PreselectionLeavesWork(made, justDownload);
}

int UpdateSession::CountInstallReady(bool criticalOnly) const {
  int ready = 0;
  for (const UpdateInfo& update : updates_.updates) {
    if (!update.evaluated || (criticalOnly && !update.HasFlag(kUpdateCritical))) continue;
    if (downloadState_(update) == DownloadState::Downloaded) ++ready;
  }
  return ready;
}

ResultCode UpdateSession::Download() {
  return DownloadSelectedUpdates(updates_, config_, parts_->events, downloadState_,
                                 &parts_->credentials);
}

InstallContext UpdateSession::InstallSettings() const {
  return {config_.Settings(),
          [runner = runner_](const UpdateInfo& update) { return runner->Run(update); },
          config_.HasFlag(kFlagVerifyDigitalSignature), config_.HasFlag(kFlagNoUpdaterInstallGui)};
}

ResultCode UpdateSession::Install() {
  return InstallSelectedUpdates(updates_, InstallSettings(), parts_->events);
}

ResultCode UpdateSession::InstallOne(UpdateInfo& update) {
  UpdateEvents& events = parts_->events;
  events.ActionBegun(UpdateAction::InstallStep, 1, update.name);
  const ResultCode installed = InstallUpdate(update, InstallSettings());
  events.Advanced(1);
  events.ActionEnded(UpdateAction::InstallStep, installed);
  return installed;
}

ResultCode UpdateSession::DownloadAndInstall(bool justDownload) {
  const ResultCode downloaded = Download();
  if (downloaded == kCanceled || justDownload || parts_->events.IsCanceled()) return downloaded;
  const ResultCode installed = Install();
  return installed != kSuccess ? installed : downloaded;
}

UpdateInfo* UpdateSession::FindUpdate(const std::wstring& sectionName) {
  return updater::FindUpdate(updates_, sectionName);
}

bool UpdateSession::FindInstalledVersion(const UpdateInfo& update,
                                         VersionNumber* installed) const {
  return updater::FindInstalledVersion(update, installed);
}

void UpdateSession::RemoveDownload(const UpdateInfo& update) {
  RemoveDownloadedFile(config_.Settings(), update);
}

UserCredentials UpdateSession::CredentialsForCopy() {
  Credential credential;
  if (!parts_->credentials.GetEnteredCredentials(&credential.user, &credential.password)) {
    if (parts_->credentials.Credentials().empty()) return UserCredentials();
    credential = parts_->credentials.Credentials().front();
  }
  return {credential.user, credential.password};
}

}  // namespace updater
