#include "catalogue/Selection.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace updater {
namespace {

using State = ApplicabilityState;

// One update of a scenario; links name other updates of the same list.
struct UpdateSpec {
  const wchar_t* name;
  State state = State::Needed;
  bool critical = false;
  const wchar_t* depends = L"";
  std::vector<const wchar_t*> replaces = {};  // L"All" replaces every later update
  const wchar_t* nextDeprecated = L"";
  bool skipped = false;
};

UpdateInfo* Find(UpdateList& list, const std::wstring& name) {
  for (UpdateInfo& update : list.updates) {
    if (update.sectionName == name) return &update;
  }
  return nullptr;
}

UpdateList BuildList(const std::vector<UpdateSpec>& specs) {
  UpdateList list;
  for (const UpdateSpec& spec : specs) {
    UpdateInfo& update = list.updates.emplace_back();
    update.sectionName = spec.name;
    update.flags = spec.critical ? static_cast<std::uint32_t>(kUpdateCritical) : 0u;
    update.skipped = spec.skipped;
  }
  for (const UpdateSpec& spec : specs) {
    UpdateInfo& update = *Find(list, spec.name);
    update.dependsOn = Find(list, spec.depends);
    for (const std::wstring replaced : spec.replaces) {
      if (replaced == L"All") update.replacesAll = true;
      else update.replacedUpdates.push_back(Find(list, replaced));
    }
    update.nextDeprecated = Find(list, spec.nextDeprecated);
    if (update.nextDeprecated != nullptr) update.nextDeprecated->isAbsorbed = true;
  }
  return list;
}

// Answers from the scenario and keeps the counted-once rule of the real evaluation: a needed
// update evaluates its dependency first and is marked Evaluated.
class ScriptedEvaluator : public UpdateEvaluator {
 public:
  explicit ScriptedEvaluator(const std::vector<UpdateSpec>& specs) {
    for (const UpdateSpec& spec : specs) states_[spec.name] = spec.state;
  }
  ApplicabilityState Evaluate(UpdateInfo& update) override {
    asked_ += (asked_.empty() ? L"" : L",") + update.sectionName;
    return Decide(update);
  }
  const std::wstring& Asked() const { return asked_; }

 private:
  ApplicabilityState Decide(UpdateInfo& update) {
    if (update.evaluated) return State::NotApplicable;
    const State state = states_.at(update.sectionName);
    if (state == State::NotApplicable) update.evaluated = false;
    if (state != State::Needed) return state;
    if (update.dependsOn != nullptr) Decide(*update.dependsOn);
    update.evaluated = true;
    return State::Needed;
  }

  std::map<std::wstring, State> states_;
  std::wstring asked_;
};

std::wstring Names(const std::vector<UpdateInfo*>& updates) {
  std::wstring names;
  for (const UpdateInfo* update : updates) names += (names.empty() ? L"" : L",") + update->sectionName;
  return names;
}

template <typename Predicate>
std::wstring NamesWhere(UpdateList& list, Predicate predicate) {
  std::vector<UpdateInfo*> matching;
  for (UpdateInfo& update : list.updates) {
    if (predicate(update)) matching.push_back(&update);
  }
  return Names(matching);
}

bool HasSkippedMark(const UpdateInfo& update) { return update.skipped; }
bool HasSelectedMark(const UpdateInfo& update) { return update.selectedForInstall; }

// The updates named in the text ("A,C") are downloaded.
DownloadStateQuery DownloadedAre(const std::wstring& downloaded) {
  return [downloaded](const UpdateInfo& update) {
    return (L"," + downloaded + L",").find(L"," + update.sectionName + L",") != std::wstring::npos
               ? DownloadState::Downloaded
               : DownloadState::ToDownload;
  };
}

TEST(SelectionTest, AvailabilityPassCountsWhatAUserWouldBeOffered) {
  struct Case {
    const char* what;
    std::vector<UpdateSpec> updates;
    int needed, critical;
    const wchar_t* asked;
    const wchar_t* skipped;
  };
  const Case cases[] = {
      {"installed update replacing all ends the walk",
       {{L"A", State::Installed, false, L"", {L"All"}}, {L"B"}, {L"C"}}, 0, 0, L"A", L""},
      {"installed update skips what it replaces",
       {{L"A", State::Installed, false, L"", {L"B"}}, {L"B"}, {L"C"}}, 1, 0, L"A,C", L"B"},
      {"needed update leaves what it replaces to be counted",
       {{L"A", State::Needed, false, L"", {L"B"}}, {L"B"}}, 2, 0, L"A,B", L""},
      {"dependency is counted with its dependent",
       {{L"A", State::Needed, false, L"B"}, {L"B"}}, 1, 0, L"A,B", L""},
      {"installed update skips its whole dependency chain",
       {{L"A", State::Installed, false, L"B"}, {L"B", State::Needed, false, L"C"}, {L"C"}, {L"D"}},
       1, 0, L"A,D", L"B,C"},
      {"critical updates are counted apart",
       {{L"A", State::Needed, true}, {L"B"}, {L"C", State::NotApplicable, true}, {L"D", State::Needed, true}},
       3, 2, L"A,B,C,D", L""},
      {"marks of an earlier pass are cleared",
       {{L"A", State::Needed, false, L"", {}, L"", true}, {L"B", State::Needed, false, L"", {}, L"", true}},
       2, 0, L"A,B", L""},
      {"a cycle of Depends links ends",
       {{L"A", State::Installed, false, L"B"}, {L"B", State::Needed, false, L"A"}, {L"C"}},
       1, 0, L"A,C", L"B"},
  };
  for (const Case& c : cases) {
    UpdateList list = BuildList(c.updates);
    ScriptedEvaluator evaluator(c.updates);
    const AvailabilityCount count = CountAvailable(list, evaluator);
    EXPECT_EQ(c.needed, count.needed) << c.what;
    EXPECT_EQ(c.critical, count.critical) << c.what;
    EXPECT_EQ(c.asked, evaluator.Asked()) << c.what;
    EXPECT_EQ(c.skipped, NamesWhere(list, HasSkippedMark)) << c.what;
  }
}

TEST(SelectionTest, SilentPreSelectionChoosesWhatToInstall) {
  struct Case {
    const char* what;
    std::vector<UpdateSpec> updates;
    bool criticalOnly;
    const wchar_t* downloaded;
    int selectedCount, toDownload;
    const wchar_t* selected;
    const wchar_t* skipped;
  };
  const Case cases[] = {
      {"replaced update is skipped", {{L"A", State::Needed, false, L"", {L"B"}}, {L"B"}, {L"C"}},
       false, L"", 2, 2, L"A,C", L"B"},
      {"replacing all skips every later update",
       {{L"A"}, {L"B", State::Needed, false, L"", {L"All"}}, {L"C"}, {L"D"}},
       false, L"B", 2, 1, L"A,B", L"C,D"},
      {"critical update brings its non-critical dependency chain",
       {{L"A", State::Needed, true, L"B"}, {L"B", State::Needed, false, L"C"}, {L"C"}, {L"D"}},
       true, L"C", 3, 2, L"A,B,C", L""},
      {"dependency is selected even when skipped and absorbed",
       {{L"A", State::Needed, true, L"B", {}, L"B"}, {L"B", State::Needed, false, L"", {}, L"", true}},
       true, L"", 2, 2, L"A,B", L"B"},
      {"non-critical update does not bring its dependency",
       {{L"A", State::Needed, false, L"B"}, {L"B"}}, true, L"", 0, 0, L"", L""},
      {"in all mode the dependency is selected in its own turn",
       {{L"A", State::Needed, false, L"B"}, {L"B"}}, false, L"A,B", 2, 0, L"A,B", L""},
      {"absorbed update is never pre-selected",
       {{L"A", State::Needed, false, L"", {}, L"B"}, {L"B"}}, false, L"", 1, 1, L"A", L""},
      {"skipped update is not pre-selected",
       {{L"A"}, {L"B", State::Needed, false, L"", {}, L"", true}}, false, L"", 1, 1, L"A", L"B"},
      {"shared dependency counts once",
       {{L"A", State::Needed, true, L"C"}, {L"B", State::Needed, true, L"C"}, {L"C"}},
       true, L"", 3, 3, L"A,B,C", L""},
  };
  for (const Case& c : cases) {
    UpdateList list = BuildList(c.updates);
    const SilentSelection selection =
        SelectForSilentInstall(list, c.criticalOnly, DownloadedAre(c.downloaded));
    EXPECT_EQ(c.selectedCount, selection.selected) << c.what;
    EXPECT_EQ(c.toDownload, selection.toDownload) << c.what;
    EXPECT_EQ(c.selected, NamesWhere(list, HasSelectedMark)) << c.what;
    EXPECT_EQ(c.skipped, NamesWhere(list, HasSkippedMark)) << c.what;
  }
}

TEST(SelectionTest, InstallsDownloadedSelectionOldestFirst) {
  UpdateList list = BuildList({{L"A", State::Needed, false, L"B"}, {L"B"}, {L"C"}, {L"D"}});
  for (const wchar_t* name : {L"A", L"B", L"C"}) Find(list, name)->selectedForInstall = true;
  EXPECT_EQ(L"C,B,A", Names(InstallOrder(list, DownloadedAre(L"A,B,C,D"))));
  EXPECT_EQ(L"B,A", Names(InstallOrder(list, DownloadedAre(L"A,B"))));
}

TEST(SelectionTest, DependentPairIsCountedOnceAndBothAreKeptForTheCopy) {
  const std::vector<UpdateSpec> updates = {{L"A", State::Needed, false, L"B"}, {L"B"}};
  UpdateList list = BuildList(updates);
  ScriptedEvaluator evaluator(updates);
  EXPECT_EQ(1, CountAvailable(list, evaluator).needed);
  EXPECT_EQ(L"A,B", NamesWhere(list, [](const UpdateInfo& u) { return u.evaluated; }));
  EXPECT_EQ(2, SelectForSilentInstall(list, false, DownloadedAre(L"A,B")).selected);
  EXPECT_EQ(L"B,A", Names(InstallOrder(list, DownloadedAre(L"A,B"))));
}

}  // namespace
}  // namespace updater
