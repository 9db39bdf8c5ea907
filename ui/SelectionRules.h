#pragma once

#include <cstddef>
#include <vector>

#include "catalogue/UpdateInfo.h"

namespace updater {

// The updates the select page lists, in list order: applicable, not absorbed, each section once.
std::vector<UpdateInfo*> ListedUpdates(UpdateList& list);

// Walking from the last row to the first, every row is checked by the rules below unless its
// update is NotSelected (a checked update still checks a NotSelected dependency); a single row
// is always checked.
std::vector<bool> InitialChecks(const std::vector<UpdateInfo*>& rows);

// Sets row `index` to `checked` in `checks` with what follows from it: a checked row checks its
// Depends chain and unchecks the rows it excludes (the earlier of a pair replaces all or names
// the later one); an unchecked row unchecks its chain of dependents. Rows not listed are left.
void ChangeCheck(const std::vector<UpdateInfo*>& rows, std::size_t index, bool checked,
                 std::vector<bool>* checks);

// The string id of the Action column: Install for a checked downloaded update, Download for a
// checked one still to download, Skip for an unchecked one.
unsigned ActionTextId(bool checked, bool downloaded);

// Marks exactly the updates of the checked rows selected for install.
void CommitChecks(UpdateList& list, const std::vector<UpdateInfo*>& rows,
                  const std::vector<bool>& checks);

}  // namespace updater
