#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>

#include "base/ResultCode.h"
#include "catalogue/Json.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/UpdateSource.h"

namespace updater {

class ClientConfig;

// Downloads one file of a release (its size as the listing states it) to a local path: 0 or the
// download's failure.
using AssetFetcher = std::function<ResultCode(const std::wstring& url, DWORD size,
                                              const std::wstring& localPath)>;

// Larger release listings are refused unread: a listing page takes a few hundred KiB, and its
// parsed form takes several times its size.
constexpr std::size_t kMaxReleaseListingBytes = 8 << 20;
// The release's settings file holds a few short values; a larger one is not fetched.
constexpr DWORD kMaxReleaseSettingsBytes = 64 << 10;

// The releases listing of a repository (a JSON array, newest first), each release that is neither
// a draft nor a pre-release turned into one UpdateInfo record in listing order.
class GitHubSource : public UpdateSource {
 public:
  GitHubSource(std::wstring localPath, const ClientConfig& client, UpdateList& updates,
               AssetFetcher fetchAsset);

  // The arguments are not used. 0; kInvalidHeader for a listing that cannot be read, is too
  // large, or is no JSON array (the local copy and its LastModified time are then deleted, so
  // that the next check fetches it anew); or the failure of the first release that fails.
  ResultCode Load(bool checkHeader, bool mergeAbsorbed) override;
  UpdateList& GetUpdates() override { return updates_; }

 private:
  std::wstring localPath_;
  const ClientConfig& client_;
  UpdateList& updates_;
  AssetFetcher fetchAsset_;
};

// One release object into `update`: 0, kDraftRelease, kPrerelease, or kInvalidUpdateSection.
// Its node_id names the section; the tag name gives the default detection, the registry value
// "HKLM\Software\<CompanyName>\<ApplicationName>\Version" at least the tag's version; the first
// .msi, .msp or .exe asset (or the one the settings asset names) is the download.
ResultCode ParseRelease(const JsonValue& release, const ClientConfig& client,
                        const AssetFetcher& fetchAsset, UpdateInfo* update);

}  // namespace updater
