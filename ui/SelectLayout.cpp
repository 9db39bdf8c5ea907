#include "ui/SelectLayout.h"

#include <algorithm>

#include "resources/StringIds.h"

namespace updater {
namespace {

constexpr int kSplitterWidth = 5;
// The least either pane keeps of its side, so that the splitter cannot hide one.
constexpr int kMinimumPane = 40;

}  // namespace

SelectLayout ChooseSelectLayout(bool vertSplitter, int screenWidth, int screenHeight, int rows) {
  SelectLayout layout;
  layout.sideBySide = vertSplitter && screenWidth >= 1024 && screenHeight >= 768;
  layout.listHidden = !layout.sideBySide && rows == 1;
  layout.headerId = layout.listHidden ? IDS_UPDATE_SUMMARY : IDS_CHOOSE_UPDATES;
  return layout;
}

SelectPanes SplitPanes(const RECT& client, const SelectLayout& layout, int split) {
  SelectPanes panes{client, client, client};
  if (layout.listHidden) {
    panes.list = panes.splitter = RECT{client.left, client.top, client.left, client.top};
    return panes;
  }
  const int extent = layout.sideBySide ? client.right - client.left : client.bottom - client.top;
  const int at = std::max(kMinimumPane, std::min(split, extent - kMinimumPane - kSplitterWidth));
  if (layout.sideBySide) {
    panes.list.right = client.left + at;
    panes.splitter.left = panes.list.right;
    panes.splitter.right = panes.description.left = panes.list.right + kSplitterWidth;
  } else {
    panes.list.bottom = client.top + at;
    panes.splitter.top = panes.list.bottom;
    panes.splitter.bottom = panes.description.top = panes.list.bottom + kSplitterWidth;
  }
  return panes;
}

RowGroups GroupRows(const std::vector<UpdateInfo*>& rows, const std::wstring& applicationName) {
  RowGroups groups;
  const bool anyCategory = std::any_of(rows.begin(), rows.end(),
                                       [](const UpdateInfo* row) { return !row->category.empty(); });
  if (!anyCategory) return groups;
  for (const UpdateInfo* row : rows) {
    const std::wstring& name = row->category.empty() ? applicationName : row->category;
    auto found = std::find(groups.names.begin(), groups.names.end(), name);
    if (found == groups.names.end()) found = groups.names.insert(groups.names.end(), name);
    groups.groupOfRow.push_back(static_cast<int>(found - groups.names.begin()));
  }
  return groups;
}

}  // namespace updater
