#include "ui/DescriptionPane.h"

#include <richedit.h>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "resources/StringIds.h"
#include "ui/DescriptionDocument.h"
#include "ui/RichEditControl.h"
#include "ui/WebLink.h"

namespace updater {

DescriptionPane::~DescriptionPane() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  for (const std::wstring& path : shortcuts_) DeleteFileW(path.c_str());
}

ResultCode DescriptionPane::Create(HWND parent, int controlId, const RECT& bounds) {
  library_ = LoadRichEditLibrary();
  if (!library_) return GetLastError();
  window_ = CreateWindowExW(
      WS_EX_CLIENTEDGE, kRichEditClass, L"",
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
      bounds.left, bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)), GetModuleHandleW(nullptr), nullptr);
  if (window_ == nullptr) return GetLastError();
  // Links are the ranges' own; an address typed in a description stays plain text.
  SendMessageW(window_, EM_AUTOURLDETECT, FALSE, 0);
  SendMessageW(window_, EM_SETEVENTMASK, 0, ENM_LINK);
  // The document sets no character effects of its own, so it takes the control's defaults; Wine
  // derives them from the bold System font.
  CHARFORMAT2W plain = {};
  plain.cbSize = sizeof(plain);
  plain.dwMask = CFM_BOLD | CFM_ITALIC | CFM_UNDERLINE | CFM_STRIKEOUT | CFM_LINK;
  SendMessageW(window_, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&plain));
  return kSuccess;
}

void DescriptionPane::Move(const RECT& bounds) {
  MoveWindow(window_, bounds.left, bounds.top, bounds.right - bounds.left,
             bounds.bottom - bounds.top, TRUE);
}

void DescriptionPane::Show(const UpdateInfo& update, const std::wstring& sizeText) {
  std::vector<FormatRange> ranges;
  const std::string rtf = BuildUpdateDescription(
      update, LoadResourceString(IDS_NEW_FEATURES), LoadResourceString(IDS_FIXED_BUGS),
      LoadResourceString(IDS_ENHANCEMENTS),
      FormatText(LoadResourceString(IDS_UPDATE_SIZE).c_str(), sizeText.c_str()), &ranges);
  ranges_ = std::move(ranges);
  Display(rtf);
}

void DescriptionPane::Show(const ServerMessage& message) {
  std::vector<FormatRange> ranges;
  const std::string rtf = BuildMessageDocument(message, &ranges);
  ranges_ = std::move(ranges);
  Display(rtf);
}

void DescriptionPane::Clear() {
  ranges_.clear();
  SetWindowTextW(window_, L"");
}

void DescriptionPane::Display(const std::string& rtf) {
  if (const ResultCode result = StreamRtf(window_, rtf)) {
    Log(kLogError, L"The description could not be shown. LastError: " + ResultText(result));
    return;
  }
  ApplyRanges(window_, ranges_);
}

bool DescriptionPane::OnNotify(const NMHDR* header, LRESULT* result) {
  if (header->hwndFrom != window_ || header->code != EN_LINK) return false;
  *result = 0;
  const ENLINK& link = *reinterpret_cast<const ENLINK*>(header);
  if (link.msg != WM_LBUTTONUP) return true;
  const FormatRange* range = FindLink(ranges_, link.chrg);
  if (range == nullptr) return true;
  std::wstring shortcut;
  if (const ResultCode opened = OpenLink(*range, &shortcut)) {
    Log(kLogError, L"Refusing or failing to open the link " + range->target + L" LastError: " +
                       ResultText(opened));
  }
  if (!shortcut.empty()) shortcuts_.push_back(std::move(shortcut));
  return true;
}

}  // namespace updater
