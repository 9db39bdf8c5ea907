#include "engine/ConfigurationFetch.h"

#include "base/IniFile.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/DownloadLocation.h"
#include "config/ClientConfig.h"
#include "engine/ServerWait.h"
#include "engine/TransferSettings.h"
#include "transfer/Downloader.h"
#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

constexpr wchar_t kLastModifiedValue[] = L"LastModified";
// The serial of the newest signed update configuration file accepted.
constexpr wchar_t kFeedSerialValue[] = L"FeedSerial";

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

ResultCode FetchConfiguration(const ClientConfig& config, const std::wstring& localPath,
                              UpdateEvents* events, CredentialProvider* credentials,
                              std::string* signedPart) {
  Downloader download(events, credentials);
  ApplyTransferSettings(config, download);
  download.SetQueryLastModified(true);
  const SettingsStore& settings = config.Settings();
  FILETIME stored = {};
  const bool hasStored = settings.ReadTime(SettingsKey::Settings, kLastModifiedValue, &stored);
  const bool localExists = GetFileAttributesW(localPath.c_str()) != INVALID_FILE_ATTRIBUTES;
  download.SetIfModifiedSince(ConditionTime(localExists, hasStored, stored));

  const ResultCode result = download.Download(config.Urls(), localPath);
  if (result == kSuccess || result == kNotModified) ForgetServerWait(config);
  if (result == kNotModified) {
    Log(kLogInfo, L"The update configuration file is not modified; using " + localPath);
    return VerifyConfigurationFile(config, localPath, signedPart);
  }
  if (result != kSuccess) {
    return RememberServerWait(config, download.RetryAfter()) ? kServerAskedToWait : result;
  }
  const SYSTEMTIME lastModified = download.GetLastModified();
  FILETIME time = {};
  if (lastModified.wYear != 0 && SystemTimeToFileTime(&lastModified, &time)) {
    settings.WriteTime(SettingsKey::Settings, kLastModifiedValue, time);
  } else {
    // A time from an earlier copy must not make the server skip this one.
    settings.DeleteValue(SettingsKey::Settings, kLastModifiedValue);
  }
  return VerifyConfigurationFile(config, localPath, signedPart);
}

ResultCode VerifyConfigurationFile(const ClientConfig& config, const std::wstring& localPath,
                                   std::string* signedPart) {
  signedPart->clear();
  if (!config.TakesSignedFeedsOnly()) return kSuccess;
  const SettingsStore& settings = config.Settings();
  std::string bytes;
  FeedTrailer trailer;
  ResultCode result = IniFile(localPath).ReadBytes(kMaxIniFileBytes, &bytes, true);
  if (result == kSuccess) result = ParseFeedTrailer(bytes, &trailer);
  if (result == kSuccess) {
    result = VerifyFeedBytes(config.FeedPublicKeys(), bytes.substr(0, trailer.signedBytes),
                             trailer.signature);
  }
  DWORD accepted = 0;
  const bool hasAccepted = settings.ReadDword(SettingsKey::Settings, kFeedSerialValue, &accepted);
  if (result == kSuccess) {
    FILETIME now = {};
    GetSystemTimeAsFileTime(&now);
    const ULONGLONG ticks = (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    result = CheckFeedFreshness(trailer, ticks, hasAccepted, accepted);
  }
  if (result != kSuccess) {
    Log(kLogError, L"Refused the update configuration file " + localPath + L": " +
                       ResultText(result));
    DeleteFileW(localPath.c_str());
    settings.DeleteValue(SettingsKey::Settings, kLastModifiedValue);
    return result;
  }
  if (!hasAccepted || trailer.serial > accepted) {
    settings.WriteDword(SettingsKey::Settings, kFeedSerialValue, trailer.serial);
  }
  bytes.resize(trailer.signedBytes);
  *signedPart = std::move(bytes);
  Log(kLogInfo, FormatText(L"The update configuration file is signed by the publisher; serial %u",
                           trailer.serial));
  return kSuccess;
}

ResultCode FetchReleaseAsset(const ClientConfig& config, const std::wstring& url, DWORD size,
                             const std::wstring& localPath, UpdateEvents* events,
                             CredentialProvider* credentials) {
  Downloader download(events, credentials);
  ApplyTransferSettings(config, download);
  // An asset that cannot be fetched leaves its release as it is: no failure to show.
  download.SetReportsFailures(false);
  download.SetExpectedSize(size);
  const ResultCode result = download.Download(url, localPath);
  if (result != kSuccess) {
    Log(kLogInfo, FormatText(L"Release file not fetched (0x%08X): ", result) + url);
  }
  return result;
}

}  // namespace updater
