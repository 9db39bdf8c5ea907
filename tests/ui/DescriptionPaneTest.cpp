#include "ui/DescriptionPane.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

// The page that hosts the pane: forwards WM_NOTIFY, except that a link click is only recorded,
// so that the test starts no browser.
struct Host {
  DescriptionPane pane;
  CHARRANGE clicked = {-1, -1};

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    LRESULT result = 0;
    if (message == WM_NOTIFY && host != nullptr) {
      const auto* link = reinterpret_cast<const ENLINK*>(lParam);
      if (link->nmhdr.code == EN_LINK && link->msg == WM_LBUTTONUP) {
        host->clicked = link->chrg;
      } else if (host->pane.OnNotify(&link->nmhdr, &result)) {
        return result;
      }
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
};

CHARFORMAT2W FormatOf(HWND control, LONG start, LONG end) {
  CHARRANGE selection = {start, end};
  SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
  CHARFORMAT2W format = {};
  format.cbSize = sizeof(format);
  SendMessageW(control, EM_GETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  return format;
}

void PumpMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// The RTF streamed into a real control shows the text without markup, and the ranges fall on
// the words their elements enclosed: the positions count paragraphs, bullets and line breaks as
// the control does.
TEST(DescriptionPaneTest, ShowsAnUpdateWithItsFormattingAndLink) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = &Host::Proc;
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"DescriptionPaneTestHost";
  RegisterClassW(&windowClass);
  Host host;
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Description",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 520, 360, nullptr,
                                      nullptr, nullptr, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
  ASSERT_EQ(kSuccess, host.pane.Create(window, 1001, RECT{10, 10, 490, 310}));
  const HWND control = host.pane.Window();

  UpdateInfo update;
  update.name = L"Demo <2.0> & more";
  update.flags = kUpdateSingleUpdate;
  update.descriptions = {
      L"See <a href=\"https://example.invalid/notes\">the notes</a> for <b>details</b>.",
      L"Plain \u00e9\u20ac\uff38 text, www.example.invalid stays plain"};
  update.features.items = {L"<i>Faster</i> start", L"Two<br>lines <u>here</u>"};
  update.bugFixes.items = {
      L"Fixed <b>crash</b> on <font color=\"#FF0000\">start</font> in "
      L"<code>main</code><sup>sup</sup>"};
  host.pane.Show(update, L"1.50 MB");
  PumpMessages();

  GETTEXTEX request = {4096 * sizeof(wchar_t), GT_DEFAULT, 1200, nullptr, nullptr};
  std::wstring text(4096, L'\0');
  text.resize(SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                           reinterpret_cast<LPARAM>(text.data())));
  EXPECT_EQ(0u, text.find(L"Demo <2.0> & more\rUpdate size: 1.50 MB\r\rSee the notes for details.\r"
                          L"Plain \u00e9\u20ac\uff38 text"))
      << Narrow(text);
  EXPECT_NE(std::wstring::npos, text.find(L"plain\r\rNew Features\rFaster start\rTwo\rlines here\r"
                                          L"\rFixed Bugs\rFixed crash on start in mainsup"))
      << Narrow(text);

  // Found from the end: the coloured "start" is the last one.
  const std::tuple<const wchar_t*, DWORD, DWORD> words[] = {
      {L"Demo <2.0> & more", CFM_BOLD, CFE_BOLD},
      {L"the notes", CFM_LINK, CFE_LINK},
      {L"details", CFM_BOLD, CFE_BOLD},
      {L"Faster", CFM_ITALIC, CFE_ITALIC},
      {L"here", CFM_UNDERLINE, CFE_UNDERLINE},
      {L"crash", CFM_BOLD, CFE_BOLD},
      {L"sup", CFM_SUPERSCRIPT, CFE_SUPERSCRIPT},
      {L"www.example.invalid", CFM_LINK, 0},
      {L"start", CFM_COLOR, 0},
      {L"main", CFM_BACKCOLOR, 0},
  };
  for (const auto& [word, mask, effect] : words) {
    const LONG start = static_cast<LONG>(text.rfind(word));
    const CHARFORMAT2W format = FormatOf(control, start, start + static_cast<LONG>(wcslen(word)));
    EXPECT_TRUE((format.dwMask & mask) && (format.dwEffects & effect) == effect) << Narrow(word);
    EXPECT_TRUE(start == 0 || (FormatOf(control, start - 1, start).dwEffects & effect) == 0)
        << "the character before " << Narrow(word) << " has its format";
    if (mask == CFM_COLOR) EXPECT_EQ(RGB(255, 0, 0), format.crTextColor);
    if (mask == CFM_BACKCOLOR) EXPECT_EQ(GetSysColor(COLOR_3DFACE), format.crBackColor);
  }

  // A click on the link reports exactly the link's characters, which is how the pane finds it.
  const LONG link = static_cast<LONG>(text.find(L"the notes"));
  const LRESULT point = SendMessageW(control, EM_POSFROMCHAR, link + 2, 0);
  const LPARAM at = MAKELPARAM(LOWORD(point) + 2, HIWORD(point) + 4);
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(control, WM_LBUTTONUP, 0, at);
  PumpMessages();
  EXPECT_EQ(link, host.clicked.cpMin);
  EXPECT_EQ(link + 9, host.clicked.cpMax);

  test::SaveScreenshot(L"description-pane");
  host.pane.Clear();
  EXPECT_EQ(0, GetWindowTextLengthW(control));
  DestroyWindow(window);
}

}  // namespace
}  // namespace updater
