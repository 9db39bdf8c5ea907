#pragma once

#include <memory>
#include <string>
#include <utility>

#include "base/ResultCode.h"
#include "catalogue/DownloadState.h"
#include "catalogue/ServerConfig.h"
#include "catalogue/Selection.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/VersionNumber.h"
#include "config/RunContext.h"
#include "engine/InstallerRunner.h"
#include "engine/RolloutEvaluator.h"
#include "engine/UpdatePolicy.h"

namespace updater {

class ClientConfig;
class SessionEvents;
struct InstallContext;

// What a check reports for the counted updates: kUpToDate when none counts (with criticalOnly:
// no critical one; with installReady: none downloaded in full), else 0.
ResultCode CheckReport(bool criticalOnly, const AvailabilityCount& counts, bool installReady,
                       int readyCount);

// Whether the application is to be started again after an installation: an installer succeeded,
// or an application was closed for one (and stays closed should its installer have failed).
bool ApplicationMustRestartAfter(const UpdateList& updates);

// One update session for one client configuration, the same whichever front end drives it: the
// check (fetch, load, evaluate, count), the choice of updates, their downloads with content
// checks, and their installation through an installer runner. Progress and questions go to the
// observer given; without one the session runs unwatched.
class UpdateSession {
 public:
  UpdateSession(const ClientConfig& config, const RunContext& run, SessionEvents* events);
  ~UpdateSession();
  UpdateSession(const UpdateSession&) = delete;
  UpdateSession& operator=(const UpdateSession&) = delete;

  // Replaceable where the files on disk are not the point; the default looks at them.
  void SetDownloadStateQuery(DownloadStateQuery query) { downloadState_ = std::move(query); }
  // The observer of the steps from now on; a front end built after the check takes over here.
  void SetEvents(SessionEvents* events);
  // The default installs from this process.
  void SetInstallerRunner(InstallerRunner* runner) { runner_ = runner; }

  // Handed the [General] section while the update configuration file of a check loads.
  void SetServerMessageReader(ServerMessageReader reader) { messageReader_ = std::move(reader); }
  // Whose check it is for the publisher's staged rollouts; the default is this installation's.
  void SetRolloutScope(RolloutScope scope) { rolloutScope_ = scope; }

  // Fetches the update configuration file into the downloads folder, loads it and counts the
  // needed updates into `counts`: 0 when some are needed, kUpToDate when none is, else the
  // failure of the fetch or the load.
  ResultCode Check(AvailabilityCount* counts);
  // Loads the list a check handed over (a file in the update configuration format holding only
  // needed updates); every update in it counts as needed.
  ResultCode LoadHandedOver(const std::wstring& path);

  // Selects exactly the needed updates; returns how many.
  int SelectNeeded();
  // The plan of an /install run asked for as `asked`, with the AutoUpdatePolicy in force.
  InstallPlan PlanInstall(InstallMode asked, bool startMinimized) const;
  // Selects what `plan` preselects, if anything, counted into `selection` when given; false when
  // that leaves the run nothing to do.
  bool Preselect(const InstallPlan& plan, bool justDownload, SilentSelection* selection = nullptr);
  // Needed updates (only critical ones when criticalOnly) whose installers are downloaded in full.
  int CountInstallReady(bool criticalOnly) const;

  ResultCode Download();
  ResultCode Install();
  // Installs one downloaded update of the list, reported as one installation step (action 103).
  ResultCode InstallOne(UpdateInfo& update);
  // Downloads the selected updates and, unless that was cancelled or only downloads are wanted,
  // installs them; an update whose download failed is left out, the others still install.
  ResultCode DownloadAndInstall(bool justDownload);

  // The credentials to hand to a temporary copy: the entered or handed-over ones, else the first
  // remembered ones; no user name when there are none.
  UserCredentials CredentialsForCopy();

  UpdateList& Updates() { return updates_; }
  // The update named `sectionName`, matched as the update configuration file matches its section
  // names; null when there is none.
  UpdateInfo* FindUpdate(const std::wstring& sectionName);
  // The version that the update's detection (Registry or File with a Version key) finds on this
  // machine: what the update would replace. False when it reads none.
  bool FindInstalledVersion(const UpdateInfo& update, VersionNumber* installed) const;
  // Deletes the update's downloaded installer, its partial file and its record.
  void RemoveDownload(const UpdateInfo& update);
  DownloadState DownloadStateOf(const UpdateInfo& update) const { return downloadState_(update); }

 private:
  // The downloader's parts of the session, which its users do not see.
  struct Parts;

  InstallContext InstallSettings() const;

  const ClientConfig& config_;
  std::unique_ptr<Parts> parts_;
  UpdateList updates_;
  DownloadStateQuery downloadState_;
  ServerMessageReader messageReader_;
  RolloutScope rolloutScope_ = RolloutScope::Installation;
  DirectInstallerRunner directRunner_;
  InstallerRunner* runner_ = &directRunner_;
};

}  // namespace updater
