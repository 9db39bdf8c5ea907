#include "catalogue/GitHubSource.h"

#include <new>
#include <utility>
#include <vector>

#include "base/AnsiText.h"
#include "base/Logger.h"
#include "base/TextUtil.h"
#include "base/UserTempPath.h"
#include "catalogue/DetectionKeys.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/IniReader.h"
#include "catalogue/JsonFile.h"
#include "catalogue/ReleaseNotes.h"
#include "catalogue/ServerConfig.h"
#include "config/ClientConfig.h"
#include "config/PathExpansion.h"

namespace updater {
namespace {

constexpr wchar_t kSettingsAssetName[] = L"tovan_update.json";

bool IsInstallerName(const std::wstring& name) {
  const std::size_t dot = name.rfind(L'.');
  if (dot == std::wstring::npos) return false;
  const std::wstring extension = name.substr(dot + 1);
  for (const wchar_t* installer : {L"msi", L"msp", L"exe"}) {
    if (EqualsIgnoringCase(extension, installer)) return true;
  }
  return false;
}

// The date part of an ISO 8601 time ("2024-03-01T12:00:00Z").
bool ParsePublishedDate(const std::wstring& text, SYSTEMTIME* date) {
  const std::wstring day = text.substr(0, text.find(L'T'));
  const std::size_t first = day.find(L'-');
  const std::size_t second = first == std::wstring::npos ? first : day.find(L'-', first + 1);
  if (second == std::wstring::npos || day.find(L'-', second + 1) != std::wstring::npos) {
    return false;
  }
  *date = SYSTEMTIME{};
  date->wYear = static_cast<WORD>(ParseIniInteger(day.substr(0, first)));
  date->wMonth = static_cast<WORD>(ParseIniInteger(day.substr(first + 1, second - first - 1)));
  date->wDay = static_cast<WORD>(ParseIniInteger(day.substr(second + 1)));
  return true;
}

// A downloaded file removed with whatever partial file its download left.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    DeleteFileW(path_.c_str());
    DeleteFileW((path_ + L".part").c_str());
  }
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

// The registry rule "at least the tag's version"; false when the tag holds no version, which
// would make every installed version count as this release.
bool SetDefaultDetection(const std::wstring& tagName, const ClientConfig& client,
                         UpdateInfo* update) {
  if (!update->version.Parse(tagName)) return false;
  update->detectionKind = DetectionKind::Registry;
  update->detectionBits = kDetectionVersionGiven;
  update->versionOperator = VersionOperator::AtLeast;
  update->detectionTarget =
      L"HKLM\\Software\\" + client.CompanyName() + L"\\" + client.ApplicationName() + L"\\Version";
  return true;
}

// The settings asset: a failed download or a file that is no JSON object leaves the release as
// it is; bad values in it fail the release.
ResultCode ReadReleaseSettings(const JsonValue& asset, const ClientConfig& client,
                               const AssetFetcher& fetchAsset, UpdateInfo* update) {
  const std::wstring url = JsonString(asset, L"browser_download_url");
  const JsonValue* size = JsonMember(asset, L"size");
  const std::wstring tempFolder = UserTempPath();
  if (url.empty() || size == nullptr || !size->IsUint() || size->GetUint() == 0 ||
      size->GetUint() > kMaxReleaseSettingsBytes || tempFolder.empty() || !fetchAsset) {
    Log(kLogInfo, L"Release settings not fetched for [" + update->sectionName + L"]");
    return kSuccess;
  }
  const TemporaryFile file(tempFolder + L"release-" + std::to_wstring(GetCurrentProcessId()) +
                           L"-" + update->sectionName + L".json");
  JsonDocument settings;
  if (fetchAsset(url, size->GetUint(), file.Path()) != kSuccess ||
      ReadJsonFile(file.Path(), kMaxReleaseSettingsBytes, &settings) != kSuccess ||
      !settings.IsObject()) {
    Log(kLogInfo, L"Release settings unusable for [" + update->sectionName + L"]: " + url);
    return kSuccess;
  }
  const KeyText text = [&settings](const wchar_t* key) {
    return Trim(JsonString(settings, key));
  };
  update->serverFileName = text(L"ServerFileName");
  if (!update->serverFileName.empty() && !IsPlainFileName(update->serverFileName)) {
    return InvalidUpdateSection(update->sectionName, L"ServerFileName is not a file name");
  }
  update->sha256 = text(L"SHA256");
  update->commandLine = ExpandPathOrKeep(text(L"CommandLine"), client.AppDir());
  const std::wstring releaseDate = text(L"ReleaseDate");
  if (!releaseDate.empty() && !ParseIniDate(releaseDate, &update->releaseDate)) {
    return InvalidUpdateSection(update->sectionName, L"ReleaseDate is not day/month/year");
  }
  for (const wchar_t* key : {L"FilePath", L"RegistryKey", L"CustomDetection", L"AppIdName"}) {
    if (!text(key).empty()) {
      ReadDetectionKeys(text, client.AppDir(), update);
      break;
    }
  }
  return kSuccess;
}

struct InstallerAsset {
  std::wstring name;
  std::wstring url;
  std::int32_t size;
};

ResultCode ReadAssets(const JsonValue& release, const ClientConfig& client,
                      const AssetFetcher& fetchAsset, UpdateInfo* update) {
  const JsonValue* assets = JsonMember(release, L"assets");
  if (assets == nullptr || !assets->IsArray()) {
    return InvalidUpdateSection(update->sectionName, L"no assets array");
  }
  std::vector<InstallerAsset> installers;
  for (const JsonValue& asset : assets->GetArray()) {
    const std::wstring name = JsonString(asset, L"name");
    if (IsInstallerName(name)) {
      // The name becomes the downloaded file's name, and the size goes where a 32-bit one fits.
      const std::wstring url = JsonString(asset, L"browser_download_url");
      const JsonValue* size = JsonMember(asset, L"size");
      if (IsPlainFileName(name) && !url.empty() && size != nullptr && size->IsInt() &&
          size->GetInt() >= 0) {
        installers.push_back({name, url, size->GetInt()});
      }
    } else if (EqualsIgnoringCase(name, kSettingsAssetName)) {
      if (const ResultCode result = ReadReleaseSettings(asset, client, fetchAsset, update)) {
        return result;
      }
    }
  }
  const InstallerAsset* chosen = nullptr;
  for (const InstallerAsset& installer : installers) {
    if (update->serverFileName.empty() ||
        EqualsIgnoringCase(installer.name, update->serverFileName.c_str())) {
      chosen = &installer;
      break;
    }
  }
  if (chosen == nullptr) return InvalidUpdateSection(update->sectionName, L"no installer asset");
  if (update->serverFileName.empty()) update->serverFileName = chosen->name;
  update->size = chosen->size;
  update->urls = {chosen->url};
  return kSuccess;
}

}  // namespace

GitHubSource::GitHubSource(std::wstring localPath, const ClientConfig& client,
                           UpdateList& updates, AssetFetcher fetchAsset)
    : localPath_(std::move(localPath)),
      client_(client),
      updates_(updates),
      fetchAsset_(std::move(fetchAsset)) {}

ResultCode GitHubSource::Load(bool /*checkHeader*/, bool /*mergeAbsorbed*/) {
  updates_.updates.clear();
  try {
    JsonDocument listing;
    if (ReadJsonFile(localPath_, kMaxReleaseListingBytes, &listing) != kSuccess ||
        !listing.IsArray()) {
      Log(kLogError, L"The release listing is no JSON array: " + localPath_);
      return DiscardLocalCopy(localPath_, client_, kInvalidHeader);
    }
    for (const JsonValue& release : listing.GetArray()) {
      UpdateInfo update;
      const ResultCode result = ParseRelease(release, client_, fetchAsset_, &update);
      if (result == kDraftRelease || result == kPrerelease || result == kUnversionedRelease) {
        continue;
      }
      if (result != kSuccess) return result;
      updates_.updates.push_back(std::move(update));
    }
  } catch (const std::bad_alloc&) {
    Log(kLogError, L"The release listing does not fit in memory: " + localPath_);
    updates_.updates.clear();
    return kInvalidHeader;
  }
  MarkSingleUpdatePresentation(updates_, client_);
  return kSuccess;
}

ResultCode ParseRelease(const JsonValue& release, const ClientConfig& client,
                        const AssetFetcher& fetchAsset, UpdateInfo* update) {
  if (!release.IsObject()) return InvalidUpdateSection(std::wstring(), L"release is no object");
  if (JsonTrue(release, L"draft")) return kDraftRelease;
  if (JsonTrue(release, L"prerelease")) return kPrerelease;
  update->replacesAll = true;
  update->sectionName = JsonString(release, L"node_id");
  if (!IsPlainFileName(update->sectionName)) {
    return InvalidUpdateSection(update->sectionName, L"node_id is not a file name");
  }
  const std::wstring published = JsonString(release, L"published_at");
  if (!published.empty() && !ParsePublishedDate(published, &update->releaseDate)) {
    return InvalidUpdateSection(update->sectionName, L"published_at is not year-month-day");
  }
  ReadReleaseNotes(JsonString(release, L"body"), update);
  if (const ResultCode result = ReadAssets(release, client, fetchAsset, update)) return result;
  // Without a rule from the settings asset, one from the tag: a release that nothing detects
  // would be offered again after every installation.
  const std::wstring tagName = JsonString(release, L"tag_name");
  if (update->detectionKind == DetectionKind::None &&
      !SetDefaultDetection(tagName, client, update)) {
    Log(kLogInfo, L"Passed over release " + update->sectionName + L": tag_name " + tagName +
                      L" holds no version, and no settings give a detection rule.");
    return kUnversionedRelease;
  }
  update->name = JsonString(release, L"name");
  if (update->name.empty()) update->name = client.ApplicationName() + L" " + tagName;
  return AssignLocalFilePath(client.DownloadsFolder(), update);
}

}  // namespace updater
