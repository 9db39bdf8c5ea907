#include "app/UpdateCheck.h"

#include "app/ClientConfig.h"
#include "app/Logger.h"
#include "app/ResultText.h"
#include "app/TokenList.h"
#include "app/TransferSettings.h"
#include "catalogue/Detection.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "catalogue/ServerConfig.h"
#include "transfer/AsyncDownloadThread.h"
#include "transfer/UpdaterCallback.h"

namespace updater {
namespace {

constexpr wchar_t kLastModifiedValue[] = L"LastModified";

// Failures reach the sink as a message; "up to date" without text, since it is no failure.
void Report(UpdaterCallback* callback, ResultCode code) {
  if (callback == nullptr) return;
  if (code == kUpToDate) {
    callback->Error(nullptr, code, nullptr);
  } else {
    callback->Error(ResultText(code).c_str(), code, nullptr);
  }
}

bool IsReportedMode(RunMode mode) {
  return mode == RunMode::JustCheck || mode == RunMode::JustCheckCritical;
}

}  // namespace

ResultCode LocalConfigurationPath(const std::wstring& downloadsFolder, const std::wstring& firstUrl,
                                  std::wstring* path) {
  std::wstring urlPath;
  if (UrlPath(firstUrl, &urlPath) != kSuccess) return kInvalidClientConfig;
  const size_t slash = urlPath.find_last_of(L"/\\");
  const std::wstring name = slash == std::wstring::npos ? urlPath : urlPath.substr(slash + 1);
  // An empty or odd name would make the folder itself, or a place outside it, the local copy.
  if (!IsPlainFileName(name) || downloadsFolder.empty()) return kInvalidClientConfig;
  const bool hasSeparator = downloadsFolder.back() == L'\\';
  *path = downloadsFolder + (hasSeparator ? L"" : L"\\") + name;
  return kSuccess;
}

SYSTEMTIME ConditionTime(bool localCopyExists, bool hasStoredTime, const FILETIME& storedTime) {
  SYSTEMTIME time = {};
  const bool later = storedTime.dwHighDateTime != 0 || storedTime.dwLowDateTime != 0;
  if (localCopyExists && hasStoredTime && later && !FileTimeToSystemTime(&storedTime, &time)) {
    time = SYSTEMTIME{};
  }
  return time;
}

int CountInstallReady(const UpdateList& list, bool criticalOnly, const DownloadStateQuery& state) {
  int ready = 0;
  for (const UpdateInfo& update : list.updates) {
    if (!update.evaluated || (criticalOnly && !update.HasFlag(kUpdateCritical))) continue;
    if (state(update) == DownloadState::Downloaded) ++ready;
  }
  return ready;
}

int MarkNeededForHandOver(UpdateList& list) {
  int marked = 0;
  for (UpdateInfo& update : list.updates) {
    update.selectedForInstall = update.evaluated;
    if (update.evaluated) ++marked;
  }
  return marked;
}

ResultCode CheckReport(RunMode mode, const AvailabilityCount& counts, bool installReady,
                       int readyCount) {
  if (counts.needed == 0) return kUpToDate;
  if (mode == RunMode::JustCheckCritical && counts.critical == 0) return kUpToDate;
  if (installReady && readyCount == 0) return kUpToDate;
  return kSuccess;
}

UpdateCheck::UpdateCheck(ClientConfig& config, UpdateCheckOptions options)
    : config_(config), options_(std::move(options)) {}

ResultCode UpdateCheck::Run(UpdaterCallback* callback) {
  std::wstring localPath;
  if (config_.Urls().empty() ||
      LocalConfigurationPath(config_.DownloadsFolder(), config_.Urls().front(), &localPath) !=
          kSuccess) {
    Log(kLogError, L"The first URL names no update configuration file to keep locally");
    Report(callback, kInvalidClientConfig);
    return kInvalidClientConfig;
  }
  if (const ResultCode fetched = Fetch(localPath, callback); fetched != kSuccess) {
    Report(callback, fetched);
    return fetched;
  }
  if (const ResultCode loaded = Load(localPath); loaded != kSuccess) {
    Report(callback, loaded);
    return loaded;
  }

  SystemUpdateEvaluator systemEvaluator;
  const AvailabilityCount counts =
      CountAvailable(updates_, evaluator_ != nullptr ? *evaluator_ : systemEvaluator);
  Log(kLogInfo, FormatText(L"Updates needed: %d, critical: %d", counts.needed, counts.critical));
  if (serverMessages_) serverMessages_(config_);
  if (counts.needed == 0) {
    Report(callback, kUpToDate);
    return kUpToDate;
  }

  if (IsReportedMode(options_.mode)) {
    const bool criticalOnly = options_.mode == RunMode::JustCheckCritical;
    const int ready =
        options_.installReady ? CountInstallReady(updates_, criticalOnly, downloadState_) : 0;
    if (!options_.dumpFile.empty()) Dump();
    return CheckReport(options_.mode, counts, options_.installReady, ready);
  }
  if (!handOver_) {
    Log(kLogError, L"Installing through a temporary copy of the updater is not available");
    return kNotImplemented;
  }
  MarkNeededForHandOver(updates_);
  return handOver_(updates_, options_.mode);
}

ResultCode UpdateCheck::Fetch(const std::wstring& localPath, UpdaterCallback* callback) {
  AsyncDownloadThread download(callback, nullptr);
  ApplyTransferSettings(config_, download);
  download.SetQueryLastModified(true);
  FILETIME stored = {};
  const bool hasStored = config_.Settings().ReadTime(SettingsKey::Settings, kLastModifiedValue,
                                                     &stored);
  const bool localExists = GetFileAttributesW(localPath.c_str()) != INVALID_FILE_ATTRIBUTES;
  download.SetIfModifiedSince(ConditionTime(localExists, hasStored, stored));

  const ResultCode result = download.Download(config_.Urls(), localPath);
  if (result == kNotModified) {
    Log(kLogInfo, L"The update configuration file is not modified; using " + localPath);
    return kSuccess;
  }
  if (result != kSuccess) return result;
  const SYSTEMTIME lastModified = download.GetLastModified();
  FILETIME time = {};
  if (lastModified.wYear != 0 && SystemTimeToFileTime(&lastModified, &time)) {
    config_.Settings().WriteTime(SettingsKey::Settings, kLastModifiedValue, time);
  } else {
    // A time from an earlier copy must not make the server skip this one.
    config_.Settings().DeleteValue(SettingsKey::Settings, kLastModifiedValue);
  }
  return kSuccess;
}

ResultCode UpdateCheck::Load(const std::wstring& localPath) {
  if (config_.HasFlag(kFlagGitHubUpdates)) {
    Log(kLogError, L"GitHub releases as update source are not available in this build");
    return kNotImplemented;
  }
  ServerConfig source(localPath, config_, updates_);
  return source.Load(true, true);
}

void UpdateCheck::Dump() const {
  if (GetFileAttributesW(options_.dumpFile.c_str()) != INVALID_FILE_ATTRIBUTES) {
    Log(kLogInfo, L"Leaving the existing file " + options_.dumpFile + L" alone");
    return;
  }
  const ResultCode written = WriteSelectedUpdates(
      options_.dumpFile, updates_, options_.mode == RunMode::JustCheckCritical);
  if (written != kSuccess) {
    Log(kLogError, L"Unable to write the detected updates to " + options_.dumpFile +
                       L" LastError: " + ResultText(written));
  }
}

}  // namespace updater
