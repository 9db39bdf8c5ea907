#include "ui/SelectionRules.h"

#include <gtest/gtest.h>

#include <string>

#include "resources/StringIds.h"

namespace updater {
namespace {

// Four listed updates A, B, C, D in list order, linked as a case says: "AB" in `depends` makes A
// depend on B, "AB" in `replaces` makes A's Replaces name B, `replacesAll` names the update with
// that mark, `notSelected` those with the flag.
struct Listed {
  UpdateList list;
  std::vector<UpdateInfo*> rows;

  Listed(const std::string& depends, const std::string& replaces, char replacesAll,
         const std::string& notSelected) {
    for (const char name : std::string("ABCD")) {
      UpdateInfo& update = list.updates.emplace_back();
      update.sectionName = std::wstring(1, name);
      update.evaluated = true;
      if (notSelected.find(name) != std::string::npos) update.flags = kUpdateNotSelected;
      update.replacesAll = name == replacesAll;
    }
    for (UpdateInfo& update : list.updates) rows.push_back(&update);
    for (size_t i = 0; i + 1 < depends.size(); i += 2) {
      At(depends[i]).dependsOn = &At(depends[i + 1]);
      At(depends[i + 1]).requiredBy = &At(depends[i]);
    }
    for (size_t i = 0; i + 1 < replaces.size(); i += 2) {
      At(replaces[i]).replacedUpdates.push_back(&At(replaces[i + 1]));
    }
  }
  UpdateInfo& At(char name) { return list.updates[static_cast<size_t>(name - 'A')]; }
};

std::string Text(const std::vector<bool>& checks) {
  std::string text;
  for (const bool check : checks) text += check ? '1' : '0';
  return text;
}

std::vector<bool> Checks(const std::string& text) {
  std::vector<bool> checks;
  for (const char c : text) checks.push_back(c == '1');
  return checks;
}

TEST(SelectionRulesTest, ChangingACheckFollowsDependenciesAndReplacements) {
  struct Case { const char* what; const char* depends; const char* replaces; char replacesAll;
                const char* before; char row; bool check; const char* after; };
  const Case cases[] = {
      {"a Depends chain of two is checked with it", "ABBC", "", 0, "0000", 'A', true, "1110"},
      {"unchecking a dependency unchecks its dependents", "ABBC", "", 0, "1111", 'C', false, "0001"},
      {"unchecking a dependent leaves its dependency", "AB", "", 0, "1100", 'A', false, "0100"},
      {"the earlier update replaces the later", "", "AC", 0, "0011", 'A', true, "1001"},
      {"the later update excludes the earlier that replaces it", "", "AC", 0, "1000", 'C', true, "0010"},
      {"replaces-all excludes every later row", "", "", 'B', "1011", 'B', true, "1100"},
      {"unchecking excludes nothing", "", "AC", 0, "1000", 'A', false, "0000"},
      {"a row that keeps its state changes nothing", "ABBC", "", 0, "1000", 'A', true, "1000"},
      {"a later dependency does not exclude its dependent", "AB", "BA", 0, "0000", 'A', true, "1100"},
  };
  for (const Case& c : cases) {
    Listed listed(c.depends, c.replaces, c.replacesAll, "");
    std::vector<bool> checks = Checks(c.before);
    ChangeCheck(listed.rows, static_cast<size_t>(c.row - 'A'), c.check, &checks);
    EXPECT_EQ(c.after, Text(checks)) << c.what;
  }
}

TEST(SelectionRulesTest, InitialChecksSkipNotSelectedUnlessNeeded) {
  struct Case { const char* what; const char* depends; const char* notSelected; const char* checks; };
  const Case cases[] = {
      {"NotSelected starts unchecked", "", "B", "1011"},
      {"a checked update checks its NotSelected dependency", "AB", "B", "1111"},
      {"nothing NotSelected", "", "", "1111"},
  };
  for (const Case& c : cases) {
    Listed listed(c.depends, "", 0, c.notSelected);
    EXPECT_EQ(c.checks, Text(InitialChecks(listed.rows))) << c.what;
  }
  Listed single("", "", 0, "A");
  EXPECT_EQ("1", Text(InitialChecks({single.rows.front()}))) << "a single row is always checked";
}

TEST(SelectionRulesTest, ListsApplicableUpdatesOnceAndCommitsTheChecks) {
  Listed listed("", "", 0, "");
  listed.At('B').evaluated = false;
  listed.At('C').isAbsorbed = true;
  listed.list.updates.emplace_back(listed.At('A')).selectedForInstall = true;  // A listed twice
  const std::vector<UpdateInfo*> rows = ListedUpdates(listed.list);
  ASSERT_EQ(2u, rows.size());
  EXPECT_EQ(L"A", rows[0]->sectionName);
  EXPECT_EQ(L"D", rows[1]->sectionName);

  CommitChecks(listed.list, rows, {false, true});
  std::string selected;
  for (const UpdateInfo& update : listed.list.updates) selected += update.selectedForInstall ? '1' : '0';
  EXPECT_EQ("00010", selected);

  EXPECT_EQ(IDS_ACTION_INSTALL, ActionTextId(true, true));
  EXPECT_EQ(IDS_ACTION_DOWNLOAD, ActionTextId(true, false));
  EXPECT_EQ(IDS_ACTION_SKIP, ActionTextId(false, true));
}

}  // namespace
}  // namespace updater
