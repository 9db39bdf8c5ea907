#include "ui/SelectionRules.h"

#include <algorithm>
#include <set>

#include "resources/StringIds.h"

namespace updater {
namespace {

std::size_t RowOf(const std::vector<UpdateInfo*>& rows, const UpdateInfo* update) {
  return static_cast<std::size_t>(std::find(rows.begin(), rows.end(), update) - rows.begin());
}

bool Excludes(const UpdateInfo& earlier, const UpdateInfo* later) {
  const std::vector<UpdateInfo*>& replaced = earlier.replacedUpdates;
  return earlier.replacesAll || std::find(replaced.begin(), replaced.end(), later) != replaced.end();
}

}  // namespace

std::vector<UpdateInfo*> ListedUpdates(UpdateList& list) {
  std::vector<UpdateInfo*> rows;
  std::set<std::wstring> sections;
  for (UpdateInfo& update : list.updates) {
    if (!update.evaluated || update.isAbsorbed) continue;
    if (sections.insert(update.sectionName).second) rows.push_back(&update);
  }
  return rows;
}

std::vector<bool> InitialChecks(const std::vector<UpdateInfo*>& rows) {
  std::vector<bool> checks(rows.size());
  if (rows.size() == 1) checks[0] = true;
  for (std::size_t i = rows.size(); i-- > 0;) {
    if (!rows[i]->HasFlag(kUpdateNotSelected)) ChangeCheck(rows, i, true, &checks);
  }
  return checks;
}

void ChangeCheck(const std::vector<UpdateInfo*>& rows, std::size_t index, bool checked,
                 std::vector<bool>* checks) {
  if (index >= rows.size() || (*checks)[index] == checked) return;
  (*checks)[index] = checked;
  const UpdateInfo* changed = rows[index];
  if (!checked) {
    // Unchecking only ever unchecks, so the cascade ends.
    if (changed->requiredBy != nullptr) {
      ChangeCheck(rows, RowOf(rows, changed->requiredBy), false, checks);
    }
    return;
  }
  if (changed->dependsOn != nullptr) ChangeCheck(rows, RowOf(rows, changed->dependsOn), true, checks);
  for (std::size_t other = 0; other < rows.size(); ++other) {
    if (other == index) continue;
    const bool excluded = other < index ? Excludes(*rows[other], changed)
                                        : Excludes(*changed, rows[other]);
    if (excluded) ChangeCheck(rows, other, false, checks);
  }
}

unsigned ActionTextId(bool checked, bool downloaded) {
  if (!checked) return IDS_ACTION_SKIP;
  return downloaded ? IDS_ACTION_INSTALL : IDS_ACTION_DOWNLOAD;
}

void CommitChecks(UpdateList& list, const std::vector<UpdateInfo*>& rows,
                  const std::vector<bool>& checks) {
  for (UpdateInfo& update : list.updates) update.selectedForInstall = false;
  for (std::size_t i = 0; i < rows.size(); ++i) rows[i]->selectedForInstall = checks[i];
}

}  // namespace updater
