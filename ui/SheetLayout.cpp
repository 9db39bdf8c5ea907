#include "ui/SheetLayout.h"

#include <commctrl.h>

namespace updater {
namespace {

constexpr UINT_PTR kSubclassId = 0x5348;  // "SH"
// The sheet's own separators: above the buttons, and under a page header.
constexpr int kBottomLineId = 0x3026;
constexpr int kTopLineId = 0x3027;
constexpr int kTabControlId = 0x3020;

// How a child of a wizard sheet follows a change of the sheet's size: the buttons keep to the
// bottom right corner, the separating lines stretch across, the pages fill what is left.
enum class SheetChildRole { Button, BottomLine, TopLine, Page };

bool IsPage(HWND child) {
  wchar_t windowClass[16] = {};
  GetClassNameW(child, windowClass, 16);
  return lstrcmpW(windowClass, L"#32770") == 0;
}

RECT BoundsInParent(HWND child, HWND parent) {
  RECT bounds = {};
  GetWindowRect(child, &bounds);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&bounds), 2);
  return bounds;
}

SheetChildRole RoleOf(int controlId, bool isPage) {
  if (isPage || controlId == kTabControlId) return SheetChildRole::Page;
  if (controlId == kBottomLineId) return SheetChildRole::BottomLine;
  if (controlId == kTopLineId) return SheetChildRole::TopLine;
  return SheetChildRole::Button;
}

RECT FollowSize(const RECT& bounds, SheetChildRole role, int dx, int dy) {
  switch (role) {
    case SheetChildRole::Button:
      return {bounds.left + dx, bounds.top + dy, bounds.right + dx, bounds.bottom + dy};
    case SheetChildRole::BottomLine:
      return {bounds.left, bounds.top + dy, bounds.right + dx, bounds.bottom + dy};
    case SheetChildRole::TopLine:
      return {bounds.left, bounds.top, bounds.right + dx, bounds.bottom};
    case SheetChildRole::Page:
      return {bounds.left, bounds.top, bounds.right + dx, bounds.bottom + dy};
  }
  return bounds;
}

}  // namespace

ResultCode SheetLayout::Attach(HWND sheet) {
  Detach();
  RECT client = {};
  if (!GetClientRect(sheet, &client) ||
      !SetWindowSubclass(sheet, &SheetLayout::SubclassProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(this))) {
    return ERROR_INVALID_WINDOW_HANDLE;
  }
  sheet_ = sheet;
  client_ = {client.right, client.bottom};
  return kSuccess;
}

void SheetLayout::Detach() {
  if (sheet_ == nullptr) return;
  RemoveWindowSubclass(sheet_, &SheetLayout::SubclassProc, kSubclassId);
  sheet_ = nullptr;
}

void SheetLayout::FitPage(HWND page) {
  if (sheet_ == nullptr) return;
  if (pageBase_.cx == 0) {
    // The first page to start has the size the sheet gives every page: the sheet sets it
    // after the page's own initialisation, and the user cannot resize the sheet before.
    RECT bounds = {};
    GetWindowRect(page, &bounds);
    pageBase_ = {bounds.right - bounds.left, bounds.bottom - bounds.top};
  }
  SetWindowPos(page, nullptr, 0, 0, pageBase_.cx + growth_.cx, pageBase_.cy + growth_.cy,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SheetLayout::OnSize(int width, int height) {
  const int dx = width - client_.cx, dy = height - client_.cy;
  client_ = {width, height};
  if (dx == 0 && dy == 0) return;
  growth_.cx += dx;
  growth_.cy += dy;
  for (HWND child = GetWindow(sheet_, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const RECT placed = FollowSize(BoundsInParent(child, sheet_),
                                   RoleOf(GetDlgCtrlID(child), IsPage(child)), dx, dy);
    SetWindowPos(child, nullptr, placed.left, placed.top, placed.right - placed.left,
                 placed.bottom - placed.top, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  InvalidateRect(sheet_, nullptr, TRUE);
}

LRESULT CALLBACK SheetLayout::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  auto* layout = reinterpret_cast<SheetLayout*>(self);
  if (message == WM_NCDESTROY) {
    layout->Detach();
  } else if (message == WM_SIZE && wParam != SIZE_MINIMIZED) {
    layout->OnSize(LOWORD(lParam), HIWORD(lParam));
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace updater
