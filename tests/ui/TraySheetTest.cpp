#include "ui/TraySheet.h"

#include <gtest/gtest.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <thread>

#include "TestSupport.h"
#include "resources/TrayIds.h"

namespace updater {
namespace {

TEST(TraySheetTest, TextsKeepTheShellsLimits) {
  const std::wstring smile = L"\xD83D\xDE00";
  struct Case { std::wstring name; std::size_t capacity; std::wstring tip; };
  const Case cases[] = {
      {L"R&D Tools", 128, L"R&&D Tools"},
      {std::wstring(130, L'a'), 128, std::wstring(127, L'a')},
      {std::wstring(70, L'a'), 64, std::wstring(63, L'a')},
      {std::wstring(125, L'a') + L"&", 128, std::wstring(125, L'a') + L"&&"},
      {std::wstring(126, L'a') + L"&", 128, std::wstring(126, L'a')},  // no lone "&"
      {std::wstring(126, L'a') + smile, 128, std::wstring(126, L'a')},  // no half a pair
  };
  for (const Case& c : cases) EXPECT_EQ(c.tip, TipText(c.name, c.capacity));
  EXPECT_EQ(std::wstring(255, L'x'), CutText(std::wstring(300, L'x'), kBalloonTextLimit));
  EXPECT_TRUE(TipCapacity(4) == 64 && TipCapacity(5) == 128);
}

TEST(TraySheetTest, CallbacksAndMenuPlace) {
  struct Case { LPARAM mouse; TrayAction action; };
  const Case cases[] = {
      {WM_RBUTTONUP, TrayAction::ShowMenu}, {WM_LBUTTONDBLCLK, TrayAction::DefaultCommand},
      {NIN_BALLOONUSERCLICK, TrayAction::DefaultCommand}, {WM_LBUTTONUP, TrayAction::None}};
  for (const Case& c : cases) EXPECT_EQ(c.action, TrayActionFor(c.mouse)) << c.mouse;
  const RECT work = {0, 0, 1280, 1000};
  struct Place { LONG x; bool onMonitor; LONG placed; };
  const Place places[] = {{-50, false, 0}, {1300, false, 1279}, {700, false, 700}, {1300, true, 1300}};
  for (const Place& p : places) {
    const POINT at = TrayMenuPoint({p.x, 1010}, p.onMonitor, work);
    EXPECT_TRUE(at.x == p.placed && at.y == 1010) << p.x << " placed at " << at.x;
  }
}

TEST(TraySheetTest, TemplateLosesVisibilityOnlyForATrayStartInEitherForm) {
  constexpr DWORD kFixed = WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                           WS_THICKFRAME | WS_MINIMIZEBOX;
  const DWORD given = WS_POPUP | WS_VISIBLE | WS_MAXIMIZEBOX | DS_MODALFRAME;
  for (const bool minimized : {false, true}) {
    const DWORD expected = (minimized ? 0 : WS_VISIBLE) | WS_POPUP | DS_MODALFRAME | kFixed;
    DLGTEMPLATE plain = {given, 0, 0, 0, 0, 100, 100};
    struct { WORD version, signature; DWORD helpId, exStyle, style; } extended = {
        1, 0xFFFF, 0, WS_EX_CONTROLPARENT, given};
    EditSheetTemplate(&plain, minimized);
    EditSheetTemplate(&extended, minimized);
    EXPECT_EQ(expected, plain.style) << minimized;
    EXPECT_TRUE(extended.style == expected && extended.exStyle == WS_EX_CONTROLPARENT) << minimized;
  }
}

HWND VisibleWindow(const wchar_t* windowClass) {
  HWND window = nullptr;
  while ((window = FindWindowExW(nullptr, window, windowClass, nullptr)) && !IsWindowVisible(window)) {}
  return window;
}

// True while the shell holds the sheet's icon, as a NIM_MODIFY on it tells.
bool IconShown(HWND sheet) {
  NOTIFYICONDATAW data = {};
  data.cbSize = NOTIFYICONDATAW_V3_SIZE;
  data.hWnd = sheet;
  data.uID = IDM_TRAY;
  return Shell_NotifyIconW(NIM_MODIFY, &data) != FALSE;
}

// A one-page wizard with the tray attached as the updater's wizard attaches it; `user` acts on it
// from another thread while it runs and is to close it. Returns what PropertySheetW returned.
struct Wizard {
  static inline Wizard* running = nullptr;
  TraySheet tray;
  WizardStartOptions options;
  std::atomic<HWND> sheet{nullptr};
  ResultCode attached = 1;
  bool closed = false;  // by the user, not by the test's own Cancel after five seconds

  INT_PTR Run(const std::function<void(HWND)>& user) {
    running = this;
    struct { DLGTEMPLATE dialog; WORD menu, windowClass, title; } page = {
        {WS_CHILD | DS_CONTROL, 0, 0, 0, 0, 200, 80}, 0, 0, 0};
    PROPSHEETPAGEW pageHeader = {};
    pageHeader.dwSize = sizeof(pageHeader);
    pageHeader.dwFlags = PSP_DLGINDIRECT;
    pageHeader.pResource = &page.dialog;
    pageHeader.pfnDlgProc = &PageProc;
    PROPSHEETHEADERW header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_WIZARD | PSH_USECALLBACK | PSH_PROPSHEETPAGE;
    header.nPages = 1;
    header.ppsp = &pageHeader;
    header.pfnCallback = &SheetProc;
    std::thread thread([&] {
      if (!test::WaitUntil([&] { return sheet.load() != nullptr; })) return;
      user(sheet);
      closed = test::WaitUntil([&] { return !IsWindow(sheet); });
      if (!closed) PostMessageW(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
    });
    const INT_PTR result = PropertySheetW(&header);
    thread.join();
    return result;
  }
  static INT_PTR CALLBACK PageProc(HWND page, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
      PropSheet_SetTitle(GetParent(page), 0, L"Found Updates for R&D Tools");
    }
    if (message == WM_NOTIFY && reinterpret_cast<NMHDR*>(lParam)->code == PSN_SETACTIVE) {
      running->tray.OnPageStarted();
    }
    return FALSE;
  }
  static int CALLBACK SheetProc(HWND window, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED) {
      running->attached = running->tray.Attach(window, L"R&D Tools", L"Found Updates for R&D Tools",
                                               &running->options);
      running->sheet = window;
    }
    return 0;
  }
};

TEST(TraySheetTest, StartsInTheTrayAndLeavesThroughTheMenu) {
  Wizard wizard;
  wizard.options.startMinimized = true;
  const INT_PTR result = wizard.Run([&](HWND sheet) {
    EXPECT_TRUE(test::WaitUntil(
        [&] { return !IsWindowVisible(sheet) && !wizard.options.startMinimized; }))
        << "a minimised start hides the sheet and shows the balloon once";
    EXPECT_TRUE(IconShown(sheet));
    EXPECT_TRUE(test::WaitUntil([] { return VisibleWindow(TOOLTIPS_CLASSW) != nullptr; }))
        << "balloon";
    test::SaveScreenshot(L"tray-start-balloon");
    PostMessageW(sheet, TraySheet::CallbackMessage(), IDM_TRAY, WM_LBUTTONDBLCLK);
    EXPECT_TRUE(test::WaitUntil([&] { return IsWindowVisible(sheet) && !IsIconic(sheet); }))
        << "a double click restores the sheet";
    test::SaveScreenshot(L"tray-restored");
    PostMessageW(sheet, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(test::WaitUntil([&] { return !IsWindowVisible(sheet); })) << "minimising hides";
    PostMessageW(sheet, TraySheet::CallbackMessage(), IDM_TRAY, WM_RBUTTONUP);
    HWND menu = nullptr;
    ASSERT_TRUE(test::WaitUntil([&] { return (menu = VisibleWindow(L"#32768")) != nullptr; }));
    test::SaveScreenshot(L"tray-menu");
    const HMENU items = reinterpret_cast<HMENU>(SendMessageW(menu, MN_GETHMENU, 0, 0));
    wchar_t text[32] = {};
    GetMenuStringW(items, 1, text, 32, MF_BYPOSITION);
    EXPECT_EQ(IDM_TRAY_SHOW, static_cast<int>(GetMenuDefaultItem(items, FALSE, 0)));
    EXPECT_EQ(std::wstring(L"Exit"), text);
    for (const WPARAM key : {VK_DOWN, VK_DOWN, VK_RETURN}) PostMessageW(menu, WM_KEYDOWN, key, 0);
  });
  EXPECT_EQ(kSuccess, wizard.attached);
  EXPECT_TRUE(wizard.closed && result == 0) << "Exit cancels the wizard";
  EXPECT_FALSE(IconShown(wizard.sheet)) << "Exit removes the icon";
}

TEST(TraySheetTest, IconGoesWithTheSheet) {
  Wizard wizard;
  HWND sheet = nullptr;
  wizard.Run([&](HWND window) {
    sheet = window;
    EXPECT_TRUE(IconShown(sheet));
    test::SaveScreenshot(L"tray-sheet");
    PostMessageW(GetDlgItem(sheet, IDCANCEL), BM_CLICK, 0, 0);
  });
  EXPECT_FALSE(IconShown(sheet)) << "the icon outlived its sheet";
  EXPECT_TRUE(wizard.closed && wizard.tray.ClosingButton() == IDCANCEL);
}

}  // namespace
}  // namespace updater
