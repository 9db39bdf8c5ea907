#include "app/Cleaner.h"

#include <windows.h>

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "catalogue/DownloadLocation.h"
#include "config/ClientConfig.h"
#include "config/SettingsStore.h"
#include "resources/StringIds.h"
#include "ui/WaitDialog.h"

namespace updater {
namespace {

// How long a cancelled window waits for the worker before ending it.
constexpr DWORD kWorkerWaitAfterCancelMs = 10000;

// The value names of a key; empty when the key cannot be opened.
std::vector<std::wstring> RegistryValueNames(HKEY root, const std::wstring& subKey) {
  std::vector<std::wstring> names;
  RegistryKey key;
  if (subKey.empty() ||
      RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
    return names;
  }
  DWORD longest = 0;
  if (RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                       &longest, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return names;
  }
  std::wstring name(longest + 1, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = static_cast<DWORD>(name.size());
    const LSTATUS status =
        RegEnumValueW(key.Get(), index, name.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status == ERROR_SUCCESS) names.emplace_back(name.c_str(), length);
  }
  return names;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::wstring WithBackslash(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

// `path` with its ".." resolved and no "\\?\" prefix, which GetFullPathNameW would keep as it is;
// empty when it cannot be made full.
std::wstring FullPath(std::wstring path) {
  std::replace(path.begin(), path.end(), L'/', L'\\');
  if (path.rfind(L"\\\\?\\UNC\\", 0) == 0) {
    path.erase(2, 6);
  } else if (path.rfind(L"\\\\?\\", 0) == 0) {
    path.erase(0, 4);
  }
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (size == 0) return std::wstring();
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  full.resize(length < size ? length : 0);
  return full;
}

void LogFailure(const wchar_t* what, const std::wstring& path, ResultCode error) {
  Log(kLogError, what + path + L" LastError: " + ResultText(error));
}

bool Advance(WaitProgress* progress) {
  if (progress == nullptr) return true;
  progress->Advance(1);
  return !progress->IsCanceled();
}

}  // namespace

CleanTargets CollectCleanTargets(const std::vector<DownloadRecord>& records,
                                 const std::vector<std::wstring>& messageImages,
                                 const std::wstring& downloadsFolder,
                                 const std::wstring& updateConfigFileName,
                                 const std::function<bool(const std::wstring&)>& exists) {
  CleanTargets targets;
  const auto addIfExists = [&](std::vector<std::wstring>& list, const std::wstring& path) {
    if (exists(path)) list.push_back(path);
  };
  // The recorded path made full, or empty (and logged) when it lies outside the downloads folder.
  const auto inside = [&](const std::wstring& recorded) {
    std::wstring path = PathInsideFolder(recorded, downloadsFolder);
    if (path.empty()) {
      Log(kLogError, L"Left a recorded file outside the downloads folder: " + recorded);
    }
    return path;
  };
  const std::wstring folder = WithBackslash(downloadsFolder);
  for (const DownloadRecord& record : records) {
    if (IsPlainFileName(record.sectionName)) {
      addIfExists(targets.folders, folder + record.sectionName);
    }
    if (record.installerPath.empty()) continue;
    const std::wstring installer = inside(record.installerPath);
    if (installer.empty()) continue;
    addIfExists(targets.files, installer);
    for (const wchar_t* suffix : {L".part", L".blockmap", L".blockmap.part"}) {
      addIfExists(targets.files, installer + suffix);
    }
  }
  for (const std::wstring& recorded : messageImages) {
    const std::wstring image = inside(recorded);
    if (!image.empty()) addIfExists(targets.files, image);
  }
  if (!downloadsFolder.empty() && !updateConfigFileName.empty()) {
    addIfExists(targets.files, folder + updateConfigFileName);
  }
  return targets;
}

std::wstring PathInsideFolder(const std::wstring& path, const std::wstring& folder) {
  const std::wstring full = FullPath(path);
  const std::wstring base = WithBackslash(FullPath(folder));
  const bool inside =
      !full.empty() && base.size() > 1 && full.size() > base.size() &&
      CompareStringOrdinal(full.c_str(), static_cast<int>(base.size()), base.c_str(),
                           static_cast<int>(base.size()), TRUE) == CSTR_EQUAL;
  return inside ? full : std::wstring();
}

std::wstring UpdateConfigFileName(const std::vector<std::wstring>& urls) {
  std::wstring path;
  if (urls.empty() || UrlPath(urls.front(), &path) != kSuccess) return std::wstring();
  return DownloadFileName(std::wstring(), path, std::wstring());
}

std::vector<DownloadRecord> ReadDownloadRecords(const SettingsStore& settings) {
  std::vector<DownloadRecord> records;
  const std::wstring key = SettingsKeyPath(SettingsKey::Updates, settings.Id());
  for (std::wstring& name : RegistryValueNames(settings.Root(), key)) {
    std::wstring path;
    if (settings.ReadString(SettingsKey::Updates, name, &path)) {
      records.push_back({std::move(name), std::move(path)});
    }
  }
  return records;
}

std::vector<std::wstring> ReadMessageImages(const SettingsStore& settings) {
  return RegistryValueNames(settings.Root(),
                            SettingsKeyPath(SettingsKey::MessageResources, settings.Id()));
}

bool CanRunClean(const SettingsStore& settings) {
  Log(kLogDebug, L"Test if we can run clean.");
  int validClients = 0;
  const std::wstring key = SettingsKeyPath(SettingsKey::Client, settings.Id());
  for (const std::wstring& name : RegistryValueNames(settings.Root(), key)) {
    if (!IsExistingFile(name)) continue;
    Log(kLogDebug, L"Found valid client: " + name);
    ++validClients;
  }
  const bool canRun = validClients < 2;
  Log(kLogDebug, std::wstring(L"CanRunClean returns: ") + (canRun ? L"true" : L"false"));
  return canRun;
}

void DoErase(const CleanTargets& targets, WaitProgress* progress) {
  Log(kLogDebug, L"DoErase started.");
  for (const std::wstring& file : targets.files) {
    if (!DeleteFileW(file.c_str())) LogFailure(L"Failed to delete file: ", file, GetLastError());
    if (!Advance(progress)) return;
  }
  for (const std::wstring& folder : targets.folders) {
    if (!RemoveDirectoryW(folder.c_str())) {
      LogFailure(L"Failed to delete folder: ", folder, GetLastError());
    }
    if (!Advance(progress)) return;
  }
}

ResultCode RemoveConfigurationSettings(const SettingsStore& settings) {
  // Without an ID the path would be the key shared by all configurations.
  const std::wstring key = SettingsKeyPath(SettingsKey::Client, settings.Id());
  if (key.empty()) return ERROR_INVALID_PARAMETER;
  const LSTATUS status = RegDeleteTreeW(settings.Root(), key.c_str());
  return status == ERROR_FILE_NOT_FOUND ? kSuccess : static_cast<ResultCode>(status);
}

Cleaner::Cleaner(const ClientConfig& config, CleanExtension extension)
    : config_(config), extension_(std::move(extension)) {}

ResultCode Cleaner::Run(bool silently) {
  if (silently) {
    Clean(nullptr);
    return kSuccess;
  }
  WaitDialog window(LoadResourceString(IDS_REMOVING_FILES));
  window.SetInitialStatus(LoadResourceString(IDS_STATE_PENDING));
  window.Run(
      [this](WaitProgress& progress) {
        Clean(&progress);
        return kSuccess;
      },
      kWorkerWaitAfterCancelMs);
  return kSuccess;
}

void Cleaner::Clean(WaitProgress* progress) const {
  Log(kLogDebug, L"Cleaning thread started.");
  const SettingsStore& settings = config_.Settings();
  if (!CanRunClean(settings)) return;

  const CleanTargets targets =
      CollectCleanTargets(ReadDownloadRecords(settings), ReadMessageImages(settings),
                          config_.DownloadsFolder(), UpdateConfigFileName(config_.Urls()), Exists);
  if (!targets.files.empty() || !targets.folders.empty()) {
    if (progress != nullptr) progress->SetTotal(targets.files.size() + targets.folders.size() + 1);
    DoErase(targets, progress);
    if (progress != nullptr && progress->IsCanceled()) return;
  }
  if (config_.Id().empty()) return;
  const ResultCode removed = RemoveConfigurationSettings(settings);
  if (removed != kSuccess) {
    LogFailure(L"Failed to delete settings: ", SettingsKeyPath(SettingsKey::Client, config_.Id()),
               removed);
  }
  if (extension_) extension_(config_);
  Advance(progress);
}

}  // namespace updater
