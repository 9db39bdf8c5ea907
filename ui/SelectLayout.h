#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "catalogue/UpdateInfo.h"

namespace updater {

// How the select page arranges the list and the description.
struct SelectLayout {
  bool sideBySide = false;   // list left of the description, else above it
  bool listHidden = false;   // only the description: one update in the stacked layout
  unsigned headerId = 0;     // the header title's string id
};

// Side by side only with the VertSplitter flag on a screen of at least 1024 x 768.
SelectLayout ChooseSelectLayout(bool vertSplitter, int screenWidth, int screenHeight, int rows);

struct SelectPanes {
  RECT list, splitter, description;
};

// Splits `client` at `split` pixels (from the left side by side, else from the top) into the
// list, the splitter bar and the description; the split is kept off the edges.
SelectPanes SplitPanes(const RECT& client, const SelectLayout& layout, int split);

// The list's groups: none when no row has a Category; else the categories in order of first
// appearance, an update without one in the group named after the application, and per row the
// index of its group.
struct RowGroups {
  std::vector<std::wstring> names;
  std::vector<int> groupOfRow;
};
RowGroups GroupRows(const std::vector<UpdateInfo*>& rows, const std::wstring& applicationName);

}  // namespace updater
