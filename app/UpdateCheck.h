#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/ResultCode.h"
#include "app/RunMode.h"
#include "catalogue/DownloadState.h"
#include "catalogue/Selection.h"
#include "catalogue/UpdateEvaluator.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class ClientConfig;
class UpdaterCallback;

// Continues a check that found updates in a temporary copy of the updater, which runs /install
// with the kind of `mode`; returns the result of starting the copy.
using CopyHandOver = std::function<ResultCode(const UpdateList& updates, RunMode mode)>;

// Shows the publisher's messages after the availability pass.
using ServerMessageStep = std::function<void(const ClientConfig& config)>;

struct UpdateCheckOptions {
  RunMode mode = RunMode::JustCheck;
  bool installReady = false;   // -installready: count only updates downloaded in full
  std::wstring dumpFile;       // -dumpdetected: where to write the detected updates
};

// The local copy of the update configuration file: the downloads folder joined with the file
// name of the first URL. kInvalidClientConfig when the URL names no file that can be kept there.
ResultCode LocalConfigurationPath(const std::wstring& downloadsFolder, const std::wstring& firstUrl,
                                  std::wstring* path);

// The If-Modified-Since time of the fetch: the stored LastModified time when the local copy
// exists and the time is later than zero; all zero (no condition) otherwise.
SYSTEMTIME ConditionTime(bool localCopyExists, bool hasStoredTime, const FILETIME& storedTime);

// Needed updates that are critical (when criticalOnly) and whose installers are downloaded in
// full.
int CountInstallReady(const UpdateList& list, bool criticalOnly, const DownloadStateQuery& state);

// Marks the needed updates (Evaluated) as the ones handed to the temporary copy, which makes its
// own choice among them; returns how many were marked.
int MarkNeededForHandOver(UpdateList& list);

// What a check reports for the counted updates: kUpToDate when none counts for the mode (mode 12:
// no critical one; with install-ready: none ready), else 0.
ResultCode CheckReport(RunMode mode, const AvailabilityCount& counts, bool installReady,
                       int readyCount);

// One update check of the installed updater: fetches and loads the update configuration file,
// counts the needed updates and reports them (just-check) or hands them to a temporary copy.
class UpdateCheck {
 public:
  UpdateCheck(ClientConfig& config, UpdateCheckOptions options);
  UpdateCheck(const UpdateCheck&) = delete;
  UpdateCheck& operator=(const UpdateCheck&) = delete;

  // Replaceable where the machine's state is not the point; the defaults look at this machine.
  void SetEvaluator(UpdateEvaluator* evaluator) { evaluator_ = evaluator; }
  void SetDownloadStateQuery(DownloadStateQuery query) { downloadState_ = std::move(query); }
  void SetCopyHandOver(CopyHandOver handOver) { handOver_ = std::move(handOver); }
  void SetServerMessageStep(ServerMessageStep step) { serverMessages_ = std::move(step); }

  // `callback` may be null; it receives progress, the cancel question and the failure texts.
  ResultCode Run(UpdaterCallback* callback);

  UpdateList& Updates() { return updates_; }

 private:
  ResultCode Fetch(const std::wstring& localPath, UpdaterCallback* callback);
  ResultCode Load(const std::wstring& localPath);
  void Dump() const;

  ClientConfig& config_;
  UpdateCheckOptions options_;
  UpdateList updates_;
  UpdateEvaluator* evaluator_ = nullptr;
  DownloadStateQuery downloadState_ = GetDownloadState;
  CopyHandOver handOver_;
  ServerMessageStep serverMessages_;
};

}  // namespace updater
