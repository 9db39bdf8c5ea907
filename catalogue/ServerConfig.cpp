#include "catalogue/ServerConfig.h"

#include <windows.h>

#include <array>
#include <unordered_map>
#include <unordered_set>

#include "base/AnsiText.h"
#include "base/IniDocument.h"
#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/TextUtil.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/UpdateFlags.h"
#include "catalogue/UpdateSectionKeys.h"
#include "config/ClientConfig.h"
#include "config/ClientFlags.h"

namespace updater {

namespace {

constexpr wchar_t kGeneralSection[] = L"General";

std::array<DescriptionGroup*, 3> ItemGroups(UpdateInfo& update) {
  return {&update.features, &update.enhancements, &update.bugFixes};
}

}  // namespace

ServerConfig::ServerConfig(std::wstring localPath, const ClientConfig& client, UpdateList& updates)
    : updates_(updates), client_(client), reader_(std::move(localPath)) {}

ResultCode ServerConfig::Load(bool checkHeader, bool mergeAbsorbed) {
  updates_.updates.clear();
  nextDeprecatedLinks_.clear();
  dependsLinks_.clear();
  replacesLinks_.clear();

  const std::wstring& path = reader_.File().Path();
  if (verifiedBytes_) {
    reader_.Parse(*verifiedBytes_);
  } else {
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      const DWORD error = GetLastError();
      if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return kUpToDate;
    }
    if (const ResultCode result = reader_.Load()) return DiscardLocalCopy(path, client_, result);
  }
  updates_.isUtf16 = reader_.IsUtf16();
  if (checkHeader && !reader_.HasHeaderLine()) return DiscardLocalCopy(path, client_, kInvalidHeader);

  for (const std::wstring& section : reader_.SectionNames()) {
    const ResultCode result =
        section == kGeneralSection ? ReadGeneralSection() : ReadUpdateSection(section);
    if (result != kSuccess) return result;
  }
  ResolveLinks();

  MarkSingleUpdatePresentation(updates_, client_);
  if (mergeAbsorbed) MergeAbsorbedItems(updates_);
  return kSuccess;
}

UpdateInfo* ServerConfig::FindUpdate(const std::wstring& sectionName) {
  return updater::FindUpdate(updates_, sectionName);
}


ResultCode ServerConfig::ReadGeneralSection() {
  std::wstring versionText = reader_.ReadText(kGeneralSection, L"ConfigFileVersion");
  if (versionText.empty()) versionText = L"1.0";
  VersionNumber version;
  version.Parse(versionText);
  if (!Equal(version, VersionNumber(1, 0, 0, 0))) {
    Log(kLogError, L"Undefined configuration file format: " + versionText);
    return kUndefinedConfigFormat;
  }
  const std::wstring disabled = reader_.ReadText(kGeneralSection, L"UpdatesDisabled");
  if (!disabled.empty()) {
    RegisterResultText(kUpdatesDisabled, disabled);
    return kUpdatesDisabled;
  }
  return messageReader_ ? messageReader_(reader_) : kSuccess;
}

ResultCode ServerConfig::ReadUpdateSection(const std::wstring& section) {
  if (!IsPlainFileName(section)) return InvalidUpdateSection(section, L"name is not a file name");
  UpdateInfo update;
  update.sectionName = section;
  SectionRead in{reader_, section, client_.AppDir(), client_.Urls(), {}};
  for (const UpdateSectionKey& key : UpdateSectionKeys()) {
    if (key.read == nullptr) continue;
    if (const ResultCode result = key.read(in, key.name, &update)) return result;
  }
  if (const ResultCode result = AssignLocalFilePath(client_.DownloadsFolder(), &update)) {
    return result;
  }

  SectionLinks& links = in.links;
  if (!links.depends.empty()) dependsLinks_.emplace_back(section, links.depends);
  if (!links.replaces.empty()) replacesLinks_.emplace_back(section, std::move(links.replaces));
  if (!links.nextDeprecated.empty()) {
    nextDeprecatedLinks_.emplace_back(section, links.nextDeprecated);
  }
  updates_.updates.push_back(std::move(update));
  return kSuccess;
}

void ServerConfig::ResolveLinks() {
  // One look-up table for all links: a search of the list per link grows with the square of the
  // file.
  std::unordered_map<std::wstring, UpdateInfo*> bySection;
  for (UpdateInfo& update : updates_.updates) {
    bySection.emplace(FoldIniName(update.sectionName), &update);
  }
  const auto find = [&](const std::wstring& section) -> UpdateInfo* {
    const auto found = bySection.find(FoldIniName(section));
    return found == bySection.end() ? nullptr : found->second;
  };
  for (const Link& link : dependsLinks_) {
    UpdateInfo* update = find(link.first);
    UpdateInfo* target = find(link.second);
    if (update == nullptr || target == nullptr || update == target) continue;
    update->dependsOn = target;
    target->requiredBy = update;
  }
  for (const auto& [section, items] : replacesLinks_) {
    UpdateInfo* update = find(section);
    if (update == nullptr) continue;
    for (const std::wstring& item : items) {
      UpdateInfo* replaced = find(item);
      if (replaced != nullptr && replaced != update) update->replacedUpdates.push_back(replaced);
    }
  }
  for (const Link& link : nextDeprecatedLinks_) {
    UpdateInfo* update = find(link.first);
    UpdateInfo* absorbed = find(link.second);
    if (update == nullptr || absorbed == nullptr || update == absorbed) continue;
    update->nextDeprecated = absorbed;
    absorbed->isAbsorbed = true;
  }
}

UpdateInfo* FindUpdate(UpdateList& list, const std::wstring& sectionName) {
  const std::wstring wanted = FoldIniName(sectionName);
  for (UpdateInfo& update : list.updates) {
    if (FoldIniName(update.sectionName) == wanted) return &update;
  }
  return nullptr;
}

bool IsSingleUpdatePresentation(std::size_t updateCount, bool vertSplitter, int screenWidth,
                                int screenHeight) {
  if (updateCount != 1) return false;
  return !(vertSplitter && screenWidth >= 1024 && screenHeight >= 768);
}

void MarkSingleUpdatePresentation(UpdateList& list, const ClientConfig& client) {
  if (IsSingleUpdatePresentation(list.updates.size(), client.HasFlag(kFlagVertSplitter),
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))) {
    list.updates.front().flags |= kUpdateSingleUpdate;
  }
}

ResultCode DiscardLocalCopy(const std::wstring& path, const ClientConfig& client,
                            ResultCode result) {
  IniFile(path).Delete();
  client.Settings().DeleteValue(SettingsKey::Settings, L"LastModified");
  return result;
}

void MergeAbsorbedItems(UpdateList& list) {
  // Each absorbed update is taken once over all walks, which keeps the merge linear in the
  // number of updates and ends every walk that enters a cycle.
  std::unordered_set<const UpdateInfo*> taken;
  for (UpdateInfo& update : list.updates) {
    if (update.isAbsorbed) continue;
    const auto groups = ItemGroups(update);
    for (UpdateInfo* absorbed = update.nextDeprecated;
         absorbed != nullptr && taken.insert(absorbed).second;
         absorbed = absorbed->nextDeprecated) {
      const auto absorbedGroups = ItemGroups(*absorbed);
      for (std::size_t i = 0; i < groups.size(); ++i) {
        groups[i]->items.insert(groups[i]->items.end(), absorbedGroups[i]->items.begin(),
                                absorbedGroups[i]->items.end());
      }
    }
  }
}

}  // namespace updater
