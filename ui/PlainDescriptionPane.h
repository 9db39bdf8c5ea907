#pragma once

#include <windows.h>

#include <string>

#include "catalogue/UpdateInfo.h"

namespace updater {

// The description of the selected update as plain text in a read-only edit control; the select
// page's description pane until the rich-text one takes its place (same operations).
class PlainDescriptionPane {
 public:
  void Create(HWND parent, int id, const RECT& bounds);
  void Move(const RECT& bounds) const;
  void Show(const UpdateInfo& update, const std::wstring& sizeText) const;
  void Clear() const;
  // No notifications to handle: the plain pane has no links.
  bool OnNotify(const NMHDR*, LRESULT*) const { return false; }

 private:
  HWND window_ = nullptr;  // a child of the page, destroyed with it
};

// The text the plain pane shows: the name, the size line, the descriptions and the item lists
// under their headings.
std::wstring PlainDescription(const UpdateInfo& update, const std::wstring& sizeText);

}  // namespace updater
