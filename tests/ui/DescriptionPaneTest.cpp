#include "ui/DescriptionPane.h"

#include <gtest/gtest.h>
#include <richedit.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

constexpr int kPaneId = 1001;

// The page that hosts the pane: forwards WM_NOTIFY, except that a link click is only recorded,
// so that the test starts no browser.
struct Host {
  DescriptionPane pane;
  CHARRANGE clicked = {-1, -1};

  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NOTIFY && host != nullptr) {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      const auto* link = reinterpret_cast<const ENLINK*>(lParam);
      if (header->code == EN_LINK && link->msg == WM_LBUTTONUP) {
        host->clicked = link->chrg;
        return 0;
      }
      LRESULT result = 0;
      if (host->pane.OnNotify(header, &result)) return result;
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
// the words their elements enclosed: the positions count the paragraphs, bullets and line
// breaks as the control does.
TEST(DescriptionPaneTest, ShowsAnUpdateWithItsFormattingAndLink) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = &Host::Proc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = L"DescriptionPaneTestHost";
  RegisterClassW(&windowClass);
  Host host;
  const HWND window = CreateWindowExW(0, windowClass.lpszClassName, L"Description",
                                      WS_OVERLAPPEDWINDOW | WS_VISIBLE, 20, 20, 520, 360, nullptr,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(nullptr, window);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&host));
  ASSERT_EQ(kSuccess, host.pane.Create(window, kPaneId, RECT{10, 10, 490, 310}));
  const HWND control = GetDlgItem(window, kPaneId);
  ASSERT_EQ(host.pane.Window(), control);

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

  GETTEXTEX request = {};
  request.cb = 4096 * sizeof(wchar_t);
  request.flags = GT_DEFAULT;
  request.codepage = 1200;
  std::wstring text(4096, L'\0');
  text.resize(SendMessageW(control, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&request),
                           reinterpret_cast<LPARAM>(text.data())));
  EXPECT_EQ(0u, text.find(L"Demo <2.0> & more\rUpdate size: 1.50 MB\r\rSee the notes for details.\r"
                          L"Plain \u00e9\u20ac\uff38 text"))
      << Narrow(text);
  EXPECT_NE(std::wstring::npos, text.find(L"\rNew Features\r")) << Narrow(text);
  EXPECT_NE(std::wstring::npos, text.find(L"\rFixed Bugs\r")) << Narrow(text);
  EXPECT_EQ(std::wstring::npos, text.find(L"<b>")) << Narrow(text);

  struct Expected {
    const wchar_t* word;
    DWORD mask;
    DWORD effect;
  };
  const Expected words[] = {
      {L"Demo <2.0> & more", CFM_BOLD, CFE_BOLD},
      {L"the notes", CFM_LINK, CFE_LINK},
      {L"details", CFM_BOLD, CFE_BOLD},
      {L"Faster", CFM_ITALIC, CFE_ITALIC},
      {L"here", CFM_UNDERLINE, CFE_UNDERLINE},
      {L"crash", CFM_BOLD, CFE_BOLD},
      {L"start", CFM_COLOR, 0},
      {L"www.example.invalid", CFM_LINK, 0},
      {L"main", CFM_BACKCOLOR, 0},
      {L"sup", CFM_SUPERSCRIPT, CFE_SUPERSCRIPT},
  };
  for (const Expected& expected : words) {
    // "start" is the last one, the coloured one.
    const std::wstring word = expected.word;
    const size_t at = word == L"start" ? text.rfind(word) : text.find(word);
    ASSERT_NE(std::wstring::npos, at) << Narrow(word);
    const LONG start = static_cast<LONG>(at);
    const CHARFORMAT2W format = FormatOf(control, start, start + static_cast<LONG>(word.size()));
    EXPECT_TRUE(format.dwMask & expected.mask) << Narrow(word) << " is not formatted alike";
    EXPECT_EQ(expected.effect, format.dwEffects & expected.effect) << Narrow(word);
    if (start > 0) {
      EXPECT_EQ(0u, FormatOf(control, start - 1, start).dwEffects & expected.effect)
          << "the character before " << Narrow(word) << " has its format";
    }
  }
  const LONG red = static_cast<LONG>(text.rfind(L"start"));
  EXPECT_EQ(RGB(255, 0, 0), FormatOf(control, red, red + 5).crTextColor);
  const LONG code = static_cast<LONG>(text.find(L"main"));
  EXPECT_EQ(GetSysColor(COLOR_3DFACE), FormatOf(control, code, code + 4).crBackColor);

  // A click on the link reports exactly the link's characters, which is how the pane finds it.
  const LONG link = static_cast<LONG>(text.find(L"the notes"));
  CHARRANGE none = {0, 0};
  SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&none));
  const LRESULT point = SendMessageW(control, EM_POSFROMCHAR, link + 2, 0);
  const LPARAM at = MAKELPARAM(LOWORD(point) + 2, HIWORD(point) + 4);
  SendMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
  SendMessageW(control, WM_LBUTTONUP, 0, at);
  PumpMessages();
  EXPECT_EQ(link, host.clicked.cpMin);
  EXPECT_EQ(link + 9, host.clicked.cpMax);

  EXPECT_TRUE(test::SaveScreenshot(L"description-pane"));
  host.pane.Clear();
  EXPECT_EQ(0, GetWindowTextLengthW(control));
  DestroyWindow(window);
}

}  // namespace
}  // namespace updater
