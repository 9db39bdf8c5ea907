#include "catalogue/Selection.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <tuple>

#include "TestSupport.h"
#include "catalogue/Detection.h"
#include "catalogue/DownloadedFile.h"

namespace updater {
namespace {

// One update per word: a one-letter name, then "i" installed, "n" not applicable (else needed),
// "!" critical, "s" skipped, ">X" depends on X, "~X" replaces X ("~*" all), "^X" absorbs X.
UpdateList BuildList(const std::wstring& scenario) {
  UpdateList list;
  std::vector<std::wstring> words;
  std::wistringstream stream(scenario);
  for (std::wstring word; stream >> word;) {
    words.push_back(word);
    list.updates.emplace_back().sectionName = word.substr(0, 1);
  }
  for (std::size_t i = 0; i < words.size(); ++i) {
    UpdateInfo& update = list.updates[i];
    for (std::size_t at = 1; at < words[i].size(); ++at) {
      const wchar_t mark = words[i][at];
      UpdateInfo* link = nullptr;
      if (mark == L'>' || mark == L'~' || mark == L'^') {
        const std::wstring target = words[i].substr(++at, 1);
        for (UpdateInfo& u : list.updates) link = u.sectionName == target ? &u : link;
        update.replacesAll = update.replacesAll || target == L"*";
      }
      if (mark == L'i') update.name = L"installed";
      if (mark == L'n') update.flags |= kUpdateOs64;
      if (mark == L'!') update.flags |= kUpdateCritical;
      if (mark == L's') update.skipped = true;
      if (mark == L'>') update.dependsOn = link;
      if (mark == L'~' && link != nullptr) update.replacedUpdates.push_back(link);
      if (mark == L'^') (update.nextDeprecated = link)->isAbsorbed = true;
    }
  }
  return list;
}

// The real evaluation, on a 32-bit system where only updates named "installed" are installed.
class RecordingEvaluator : public UpdateEvaluator {
 public:
  ApplicabilityState Evaluate(UpdateInfo& update) override {
    asked += update.sectionName;
    return EvaluateUpdate(update, OsFacts(), {}, [](const UpdateInfo& u) { return u.name != L""; });
  }
  std::wstring asked;
};

std::wstring Names(const std::vector<UpdateInfo*>& updates) {
  std::wstring names;
  for (const UpdateInfo* update : updates) names += update->sectionName;
  return names;
}

template <typename Predicate>
std::wstring NamesWhere(const UpdateList& list, Predicate predicate) {
  std::wstring names;
  for (const UpdateInfo& update : list.updates) {
    if (predicate(update)) names += update.sectionName;
  }
  return names;
}

constexpr test::TextEncoding kAnsi = test::TextEncoding::Ansi;
const auto kSkipped = [](const UpdateInfo& u) { return u.skipped; };
const auto kSelected = [](const UpdateInfo& u) { return u.selectedForInstall; };

DownloadStateQuery DownloadedAre(const std::wstring& downloaded) {
  return [downloaded](const UpdateInfo& update) {
    return downloaded.find(update.sectionName) != std::wstring::npos ? DownloadState::Downloaded
                                                                     : DownloadState::ToDownload;
  };
}

TEST(SelectionTest, AvailabilityPassCountsWhatAUserWouldBeOffered) {
  // scenario, needed, critical, evaluated, skipped
  const std::tuple<const wchar_t*, int, int, const wchar_t*, const wchar_t*> cases[] = {
      {L"Ai~* B", 0, 0, L"A", L""},             // an installed update replacing all ends the walk
      {L"Ai~B B C", 1, 0, L"AC", L"B"},         // an installed update skips what it replaces
      {L"A~B B", 2, 0, L"AB", L""},             // a needed one leaves it to be counted
      {L"A>B B", 1, 0, L"AB", L""},             // a dependency counts once, with its dependent
      {L"Ai>B B>C C D", 1, 0, L"AD", L"BC"},    // installed: its whole dependency chain skipped
      {L"A! B C!n D!", 3, 2, L"ABCD", L""},     // critical updates are counted apart
      {L"As Bs", 2, 0, L"AB", L""},             // marks of an earlier pass are cleared
      {L"Ai>B B>A C", 1, 0, L"AC", L"B"},       // a cycle of Depends links ends
  };
  for (const auto& [scenario, needed, critical, asked, skipped] : cases) {
    UpdateList list = BuildList(scenario);
    RecordingEvaluator evaluator;
    const AvailabilityCount count = CountAvailable(list, evaluator);
    EXPECT_EQ(std::make_tuple(needed, critical), std::tie(count.needed, count.critical))
        << test::Narrow(scenario);
    EXPECT_EQ(asked, evaluator.asked) << test::Narrow(scenario);
    EXPECT_EQ(skipped, NamesWhere(list, kSkipped)) << test::Narrow(scenario);
  }
}

TEST(SelectionTest, SilentPreSelectionChoosesWhatToInstallAndInstallsOldestFirst) {
  // scenario, critical only, downloaded, selected, to download, selected, skipped, install order
  const std::tuple<const wchar_t*, bool, const wchar_t*, int, int, const wchar_t*, const wchar_t*,
                   const wchar_t*> cases[] = {
      {L"A~B B C", false, L"A", 2, 1, L"AC", L"B", L"A"},
      {L"A B~* C D", false, L"ABCD", 2, 0, L"AB", L"CD", L"BA"},
      // A critical update brings its non-critical dependency chain, even skipped and absorbed.
      {L"A!>B B>C C D", true, L"BCD", 3, 1, L"ABC", L"", L"CB"},
      {L"A!>B^B Bs", true, L"", 2, 2, L"AB", L"B", L""},
      {L"A^B B Cs", false, L"", 1, 1, L"A", L"C", L""},  // absorbed or skipped: never selected
      {L"A!>C B!>C C", true, L"AC", 3, 1, L"ABC", L"", L"CA"},  // a shared dependency counts once
  };
  for (const auto& [scenario, criticalOnly, downloaded, selected, toDownload, selectedNames,
                    skipped, order] : cases) {
    UpdateList list = BuildList(scenario);
    const SilentSelection selection =
        SelectForSilentInstall(list, criticalOnly, DownloadedAre(downloaded));
    EXPECT_EQ(std::make_tuple(selected, toDownload),
              std::tie(selection.selected, selection.toDownload))
        << test::Narrow(scenario);
    EXPECT_EQ(selectedNames, NamesWhere(list, kSelected)) << test::Narrow(scenario);
    EXPECT_EQ(skipped, NamesWhere(list, kSkipped)) << test::Narrow(scenario);
    EXPECT_EQ(order, Names(InstallOrder(list, DownloadedAre(downloaded))))
        << test::Narrow(scenario);
  }
}

TEST(DownloadStateTest, KeepsWhatCanBeUsedAndRemovesTheRest) {
  constexpr int kNone = -1;  // no such file
  // The update's size is 10; a part can only be shorter, and wins over a complete file.
  constexpr DownloadState kToDo = DownloadState::ToDownload;
  const std::tuple<int, int, DownloadState, bool> cases[] = {
      {kNone, kNone, kToDo, false}, {10, kNone, DownloadState::Downloaded, false},
      {9, kNone, kToDo, true},      {11, kNone, kToDo, true},  {kNone, 9, kToDo, false},
      {kNone, 0, kToDo, false},     {kNone, 10, kToDo, true},  {10, 4, kToDo, false},
      {10, 10, kToDo, true}};
  const test::ScopedClientConfig client(L"DownloadState");
  for (const auto& [fileSize, partSize, state, removed] : cases) {
    const test::TempFolder folder;
    UpdateInfo update;
    update.size = 10;
    update.localFilePath = folder.File(L"setup.exe");
    for (const auto& [path, size] : {std::make_pair(update.localFilePath, fileSize),
                                     std::make_pair(update.localFilePath + L".part", partSize)}) {
      if (size != kNone) test::WriteTextFile(path, std::wstring(size, L'x'), kAnsi);
    }
    EXPECT_EQ(state, GetDownloadState(client.Config().Settings(), update)) << fileSize << partSize;
    EXPECT_EQ(fileSize != kNone && !removed, test::FileExists(update.localFilePath)) << fileSize;
    EXPECT_EQ(partSize != kNone && !removed, test::FileExists(update.localFilePath + L".part"))
        << partSize;
  }
}

TEST(DownloadStateTest, UpdateWithoutPathTouchesNoFileOfTheCurrentFolder) {
  // Without a path, ".part" would name a file of the current folder.
  const test::TempFolder folder;
  test::WriteTextFile(folder.File(L".part"), L"0123456789AB", kAnsi);
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
  const test::ScopedClientConfig client(L"DownloadState");
  UpdateInfo update;
  update.size = 10;
  const DownloadState state = GetDownloadState(client.Config().Settings(), update);
  RemoveDownloadedFile(client.Config().Settings(), update);
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(DownloadState::ToDownload, state);
  EXPECT_TRUE(test::FileExists(folder.File(L".part")));
}

}  // namespace
}  // namespace updater
