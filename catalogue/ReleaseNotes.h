#pragma once

#include <string>

#include "catalogue/UpdateInfo.h"

namespace updater {

// Release notes in Markdown as an update's description lines and items. Text under a heading
// "Features", "Enhancements" or "Bug Fixes" becomes that group's items, the rest description
// lines (another heading becomes a line of its own). A paragraph or a list entry is one item.
// Links, autolinks, code spans and strong emphasis become the description markup (<a href>,
// <code>, <b>), the rest of such an item escaped; an item without them keeps its text as written.
void ReadReleaseNotes(const std::wstring& markdown, UpdateInfo* update);

// One line of Markdown text with its inline elements converted as above.
std::wstring ConvertInlineMarkdown(const std::wstring& text);

}  // namespace updater
