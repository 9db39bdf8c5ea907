#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "catalogue/ServerMessage.h"
#include "catalogue/UpdateInfo.h"
#include "ui/FormatRange.h"

namespace updater {

// A read-only rich-edit child window that shows an update's description or a server message with
// their formatting, and opens a web link the user clicks in it.
//
// The hosting window creates it, forwards WM_NOTIFY to OnNotify() (EN_LINK arrives there), and
// moves it with its layout. The window is a child and goes with its parent; the pane destroys it
// itself when it ends first. Shortcut files made for clicked links are deleted when the pane ends.
class DescriptionPane {
 public:
  DescriptionPane() = default;
  DescriptionPane(const DescriptionPane&) = delete;
  DescriptionPane& operator=(const DescriptionPane&) = delete;
  ~DescriptionPane();

  ResultCode Create(HWND parent, int controlId, const RECT& bounds);
  void Move(const RECT& bounds);

  // `sizeText` is the update's size as the list shows it ("1.50 MB"); only a SingleUpdate shows it.
  void Show(const UpdateInfo& update, const std::wstring& sizeText);
  void Show(const ServerMessage& message);
  void Clear();

  // True when the notification came from this pane; `*result` is then what the parent returns.
  bool OnNotify(const NMHDR* header, LRESULT* result);

  HWND Window() const { return window_; }

 private:
  void Display(const std::string& rtf);

  ModuleHandle library_;  // declared first: the window's class lives in it
  HWND window_ = nullptr;
  std::vector<FormatRange> ranges_;
  std::vector<std::wstring> shortcuts_;
};

}  // namespace updater
