#pragma once

#include <windows.h>

#include "base/ResultCode.h"

namespace updater {

// Resizes the contents of a classic wizard sheet along with the sheet. The Aero wizard lays
// itself out (PSH_RESIZABLE); the classic sheet that older common controls (and Wine) draw
// does not, and would leave its pages and buttons in one corner of a sheet made larger.
//
// Attach once from PSCB_INITIALIZED, before the sheet changes size; every page calls FitPage
// from its PSN_SETACTIVE: pages are created when first shown, possibly after the sheet changed
// size, and the sheet gives each its first size itself. The layout must outlive the sheet;
// every call comes on the sheet's thread.
class SheetLayout {
 public:
  SheetLayout() = default;
  SheetLayout(const SheetLayout&) = delete;
  SheetLayout& operator=(const SheetLayout&) = delete;
  ~SheetLayout() { Detach(); }

  ResultCode Attach(HWND sheet);
  // Sizes a page to the size the sheet gave it, grown by what the sheet grew since.
  void FitPage(HWND page);

 private:
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);
  void OnSize(int width, int height);
  void Detach();

  HWND sheet_ = nullptr;
  SIZE client_ = {};
  // What the sheet's client area grew by since Attach, and so every page.
  SIZE growth_ = {};
  SIZE pageBase_ = {};
};

}  // namespace updater
