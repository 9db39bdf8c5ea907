#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/IniReader.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/UpdateSource.h"

namespace updater {

class ClientConfig;

// Reads the publisher's message keys of [General] when updates are not disabled; supplied by the
// message subsystem. Without one the keys are left alone.
using ServerMessageReader = std::function<ResultCode(const IniReader& reader)>;

// The update configuration file (first line ";qzu;"), or the selected-updates file written from
// it, turned into UpdateInfo records in file order.
class ServerConfig : public UpdateSource {
 public:
  ServerConfig(std::wstring localPath, const ClientConfig& client, UpdateList& updates);

  // 0, or the result of the first step that failed; records read before a failing section stay in
  // the list. A file that cannot be read, is refused for its size (kInvalidHeader, nothing in it
  // read) or lacks its first line (with checkHeader) is deleted together with the LastModified
  // setting, so that the next check fetches it anew.
  ResultCode Load(bool checkHeader, bool mergeAbsorbed) override;
  UpdateList& GetUpdates() override { return updates_; }

  // The first record whose section name matches as the file's section names match (ASCII letters
  // in any case); null when none does.
  UpdateInfo* FindUpdate(const std::wstring& sectionName);

  void SetServerMessageReader(ServerMessageReader reader) { messageReader_ = std::move(reader); }
  // The file's bytes as a check read and verified them: Load parses these instead of reading the
  // file again, which someone could have changed in between.
  void SetVerifiedBytes(std::string bytes) { verifiedBytes_ = std::move(bytes); }

 private:
  using Link = std::pair<std::wstring, std::wstring>;

  ResultCode ReadGeneralSection();
  ResultCode ReadUpdateSection(const std::wstring& section);
  void ResolveLinks();

  std::vector<Link> nextDeprecatedLinks_;
  std::vector<Link> dependsLinks_;
  std::vector<std::pair<std::wstring, std::vector<std::wstring>>> replacesLinks_;
  UpdateList& updates_;
  const ClientConfig& client_;
  IniReader reader_;
  ServerMessageReader messageReader_;
  std::optional<std::string> verifiedBytes_;
};

// The first record of `list` whose section name matches as in ServerConfig::FindUpdate.
UpdateInfo* FindUpdate(UpdateList& list, const std::wstring& sectionName);

// A lone update is shown by itself, unless the wizard has the vertical splitter and the screen
// room for it (1024 x 768 or more).
bool IsSingleUpdatePresentation(std::size_t updateCount, bool vertSplitter, int screenWidth,
                                int screenHeight);

// Sets SingleUpdate on the only update of the list when IsSingleUpdatePresentation holds on this
// screen with the client's VertSplitter flag.
void MarkSingleUpdatePresentation(UpdateList& list, const ClientConfig& client);

// Deletes the local copy of an update listing and the LastModified setting, so that the next check
// fetches it anew; returns `result`.
ResultCode DiscardLocalCopy(const std::wstring& path, const ClientConfig& client,
                            ResultCode result);

// Appends to the Feature, Enhancement and BugFix items of each update that is not absorbed itself
// (absorbed ones are never offered) those of the updates it absorbs, following NextDeprecated
// from one to the next. An absorbed update's items go to the first update in file order whose
// walk reaches it; the walk stops there for any later one, as it does at the end of a cycle.
void MergeAbsorbedItems(UpdateList& list);

}  // namespace updater
