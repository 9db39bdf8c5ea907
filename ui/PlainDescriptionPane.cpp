#include "ui/PlainDescriptionPane.h"

#include "base/ResultText.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

unsigned HeadingOf(DescriptionKind kind) {
  switch (kind) {
    case DescriptionKind::Features:
      return IDS_NEW_FEATURES;
    case DescriptionKind::Enhancements:
      return IDS_ENHANCEMENTS;
    case DescriptionKind::BugFixes:
      return IDS_FIXED_BUGS;
  }
  return 0;
}

}  // namespace

std::wstring PlainDescription(const UpdateInfo& update, const std::wstring& sizeText) {
  std::wstring text = update.name + L"\r\n" +
                      FormatText(LoadResourceString(IDS_UPDATE_SIZE).c_str(), sizeText.c_str()) +
                      L"\r\n";
  for (const std::wstring& line : update.descriptions) text += L"\r\n" + line;
  for (const DescriptionGroup* group : {&update.features, &update.enhancements, &update.bugFixes}) {
    if (group->items.empty()) continue;
    text += L"\r\n\r\n" + LoadResourceString(HeadingOf(group->kind)) + L":";
    for (const std::wstring& item : group->items) text += L"\r\n- " + item;
  }
  return text;
}

void PlainDescriptionPane::Create(HWND parent, int id, const RECT& bounds) {
  window_ = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                            WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE | ES_READONLY |
                                ES_AUTOVSCROLL,
                            bounds.left, bounds.top, bounds.right - bounds.left,
                            bounds.bottom - bounds.top, parent,
                            reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                            GetModuleHandleW(nullptr), nullptr);
  SendMessageW(window_, WM_SETFONT, SendMessageW(parent, WM_GETFONT, 0, 0), FALSE);
}

void PlainDescriptionPane::Move(const RECT& bounds) const {
  MoveWindow(window_, bounds.left, bounds.top, bounds.right - bounds.left,
             bounds.bottom - bounds.top, TRUE);
}

void PlainDescriptionPane::Show(const UpdateInfo& update, const std::wstring& sizeText) const {
  SetWindowTextW(window_, PlainDescription(update, sizeText).c_str());
}

void PlainDescriptionPane::Clear() const { SetWindowTextW(window_, L""); }

}  // namespace updater
