#include "engine/BlockMapDownload.h"

#include <windows.h>

#include "base/IniFile.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "catalogue/KeptInstallers.h"
#include "config/ClientConfig.h"
#include "engine/TransferSettings.h"
#include "transfer/Downloader.h"
#include "transfer/FileBlockMap.h"
#include "transfer/HexText.h"
#include "transfer/PartialFile.h"

namespace updater {
namespace {

// No kept installer holds a block of the new one.
constexpr ResultCode kNoKeptBlocks = ERROR_NOT_FOUND;

// Where an installer's map is kept, for the next delta download to copy from the installer.
std::wstring MapPath(const std::wstring& installer) { return installer + L".blockmap"; }

// The map text at `path` for a file of `fileSize` bytes, bounded by that size.
ResultCode ReadBlockMap(const std::wstring& path, std::uint64_t fileSize, BlockMap* map) {
  std::string text;
  const ResultCode read = IniFile(path).ReadBytes(MaxBlockMapTextBytes(fileSize), &text, true);
  return read != kSuccess ? read : ParseBlockMap(text, map);
}

// Fetches the map beside the installer and reads it, quietly: a map that cannot be had is no
// failure of the update.
ResultCode FetchBlockMap(const UpdateInfo& update, const ClientConfig& config,
                         CredentialProvider* credentials, BlockMap* map) {
  Downloader download(nullptr, credentials);
  ApplyTransferSettings(config, download);
  download.SetReportsFailures(false);
  download.SetMaxSize(static_cast<DWORD>(MaxBlockMapTextBytes(update.size)));
  const std::wstring path = MapPath(update.localFilePath);
  const ResultCode result = download.Download(update.blockMapUrl, path);
  DeleteFileW((path + L".part").c_str());
  return result != kSuccess ? result : ReadBlockMap(path, update.size, map);
}

// The blocks of a kept installer: those of the map kept beside it when that reads and has the
// installer's size, else those the installer is cut into here. A map that lies costs only the
// delta download, whose result is checked.
ResultCode KeptBlocks(const std::wstring& installer, BlockMap* map) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(installer.c_str(), GetFileExInfoStandard, &data) &&
      ReadBlockMap(MapPath(installer), data.nFileSizeLow, map) == kSuccess &&
      map->size == data.nFileSizeLow) {
    return kSuccess;
  }
  return MapFile(installer, WholeDigest::Skip, map);
}

// A map made for another build than the section names is of no use.
ResultCode CheckMapAgainstSection(const BlockMap& map, const UpdateInfo& update) {
  if (update.size != 0 && map.size != static_cast<std::uint64_t>(update.size)) {
    return kSizeMismatch;
  }
  std::vector<unsigned char> sha256;
  if (!update.sha256.empty() &&
      (ParseHexText(update.sha256, &sha256) != kSuccess || sha256 != map.sha256)) {
    return kSha256Mismatch;
  }
  return kSuccess;
}

// Maps the kept installers into the recipe's sources and plans from their blocks.
ResultCode PlanFromKeptInstallers(const UpdateInfo& update, const ClientConfig& config,
                                  DeltaRecipe* recipe) {
  std::vector<LocalBlock> local;
  for (const std::wstring& path :
       FindKeptInstallers(config.DownloadsFolder(), update.localFilePath, kMaxDeltaSources)) {
    BlockMap kept;
    if (const ResultCode mapped = KeptBlocks(path, &kept)) {
      Log(kLogInfo, L"Kept installer not read: " + path + L": " + ResultText(mapped));
      continue;
    }
    for (MappedBlock& block : kept.blocks) {
      local.push_back({recipe->sources.size(), block.offset, block.length, std::move(block.sha256)});
    }
    recipe->sources.push_back(path);
  }
  recipe->plan = PlanDelta(recipe->target, local);
  return recipe->plan.bytesCopied != 0 ? kSuccess : kNoKeptBlocks;
}

ResultCode TryBlockMap(Downloader& download, const UpdateInfo& update, const ClientConfig& config,
                       CredentialProvider* credentials, DeltaRecipe* recipe) {
  // A download under way resumes as it is.
  if (PartialFileSize(update.localFilePath + L".part") != 0) return kResumeNotSupported;
  ResultCode result = FetchBlockMap(update, config, credentials, &recipe->target);
  if (result == kSuccess) result = CheckMapAgainstSection(recipe->target, update);
  const bool mapFits = result == kSuccess;
  if (result == kSuccess) result = PlanFromKeptInstallers(update, config, recipe);
  if (result == kSuccess) result = download.DownloadDelta(update.urls, *recipe, update.localFilePath);
  // The map stays beside the installer, however it is downloaded, unless it does not describe it.
  if (!mapFits || result == kSha256Mismatch || result == kSizeMismatch) {
    DeleteFileW(MapPath(update.localFilePath).c_str());
  }
  return result;
}

}  // namespace

ResultCode DownloadByBlockMap(Downloader& download, const UpdateInfo& update,
                              const ClientConfig& config, CredentialProvider* credentials) {
  DeltaRecipe recipe;
  const ResultCode result = TryBlockMap(download, update, config, credentials, &recipe);
  if (result == kSuccess) {
    Log(kLogInfo, FormatText(L"Update \"%s\" installer put together by its block map: %llu bytes "
                             L"from kept installers, %llu bytes downloaded",
                             update.name.c_str(), recipe.plan.bytesCopied,
                             recipe.plan.bytesToFetch));
  } else if (result != kCanceled) {
    Log(kLogInfo, L"Update \"" + update.name +
                      L"\" installer downloaded whole, not by its block map: " +
                      ResultText(result));
  }
  return result;
}

}  // namespace updater
