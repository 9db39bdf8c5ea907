#include "ui/HyperlinkControl.h"

#include <commctrl.h>

#include <memory>

#include "base/TextUtil.h"
#include "base/UniqueHandle.h"
#include "config/SettingsStore.h"

namespace updater {
namespace {

constexpr UINT_PTR kSubclassId = 1;
constexpr wchar_t kBrowserSettingsKey[] = L"Software\\Microsoft\\Internet Explorer\\Settings";

struct Hyperlink {
  UINT commandId = 0;
  LinkColours colours;
  bool visited = false;
  GdiFont underlined;
  HFONT underlinedFrom = nullptr;  // the control's font the underlined one was made from
  HWND toolTip = nullptr;
  RECT linkArea = {};  // where the linked part was drawn, in client coordinates
};

// Case-insensitive, as such markup is written either way.
size_t FindTag(const std::wstring& text, std::wstring_view tag, size_t from) {
  for (size_t i = from; i + tag.size() <= text.size(); ++i) {
    if (StartsWithNoCase(std::wstring_view(text).substr(i), tag)) return i;
  }
  return std::wstring::npos;
}

HFONT UnderlinedFont(Hyperlink* link, HFONT base) {
  if (!link->underlined || link->underlinedFrom != base) {
    LOGFONTW font = {};
    GetObjectW(base != nullptr ? base : GetStockObject(DEFAULT_GUI_FONT), sizeof(font), &font);
    font.lfUnderline = TRUE;
    link->underlined.Reset(CreateFontIndirectW(&font));
    link->underlinedFrom = base;
  }
  return link->underlined.Get();
}

// Draws `text` at x and moves x past it; returns the area it took.
RECT DrawPart(HDC dc, const std::wstring& text, int* x, const RECT& client) {
  RECT area = {*x, client.top, *x, client.top};
  SIZE size = {};
  if (!text.empty()) {
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TextOutW(dc, *x, client.top, text.c_str(), static_cast<int>(text.size()));
  }
  area.right = *x + size.cx;
  area.bottom = client.top + size.cy;
  *x = area.right;
  return area;
}

void Paint(HWND control, Hyperlink* link) {
  PAINTSTRUCT paint;
  const HDC dc = BeginPaint(control, &paint);
  RECT client;
  GetClientRect(control, &client);
  // The parent paints the background as for any static control of its own.
  const HBRUSH background = reinterpret_cast<HBRUSH>(SendMessageW(
      GetParent(control), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
      reinterpret_cast<LPARAM>(control)));
  FillRect(dc, &client, background != nullptr ? background : GetSysColorBrush(COLOR_BTNFACE));
  SetBkMode(dc, TRANSPARENT);

  wchar_t text[1024] = {};
  GetWindowTextW(control, text, 1024);
  const LinkText parts = SplitLinkText(text);
  const HFONT font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
  const HGDIOBJ previous = SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  int x = client.left;
  SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawPart(dc, parts.before, &x, client);
  SelectObject(dc, UnderlinedFont(link, font));
  if (IsWindowEnabled(control)) {
    SetTextColor(dc, link->visited ? link->colours.visited : link->colours.normal);
  }
  link->linkArea = DrawPart(dc, parts.link, &x, client);
  SelectObject(dc, font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SetTextColor(dc, GetSysColor(IsWindowEnabled(control) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
  DrawPart(dc, parts.after, &x, client);
  SelectObject(dc, previous);
  EndPaint(control, &paint);

  TOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.hwnd = control;
  tool.uId = kSubclassId;
  tool.rect = link->linkArea;
  SendMessageW(link->toolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&tool));
}

bool OverLink(HWND control, const Hyperlink* link) {
  POINT cursor;
  GetCursorPos(&cursor);
  ScreenToClient(control, &cursor);
  return PtInRect(&link->linkArea, cursor) != FALSE;
}

LRESULT CALLBACK HyperlinkProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                               UINT_PTR, DWORD_PTR data) {
  auto* link = reinterpret_cast<Hyperlink*>(data);
  switch (message) {
    case WM_PAINT:
      Paint(control, link);
      return 0;
    case WM_SETCURSOR:
      if (OverLink(control, link)) {
        SetCursor(LoadCursorW(nullptr, IDC_HAND));
        return TRUE;
      }
      break;
    case WM_LBUTTONUP:
      if (OverLink(control, link)) {
        link->visited = true;
        InvalidateRect(control, nullptr, TRUE);
        SendMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(link->commandId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(control));
        return 0;
      }
      break;
    case WM_SETTEXT: {
      const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
      InvalidateRect(control, nullptr, TRUE);
      return result;
    }
    case WM_NCDESTROY: {
      RemoveWindowSubclass(control, &HyperlinkProc, kSubclassId);
      const std::unique_ptr<Hyperlink> owned(link);
      if (owned->toolTip != nullptr) DestroyWindow(owned->toolTip);
      return DefSubclassProc(control, message, wParam, lParam);
    }
    default:
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

HWND CreateToolTip(HWND control) {
  const HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                   WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, GetParent(control),
                                   nullptr, GetModuleHandleW(nullptr), nullptr);
  if (tip == nullptr) return nullptr;
  wchar_t text[1024] = {};
  GetWindowTextW(control, text, 1024);
  std::wstring tipText = SplitLinkText(text).link;
  TOOLINFOW tool = {};
  tool.cbSize = sizeof(tool);
  tool.uFlags = TTF_SUBCLASS;
  tool.hwnd = control;
  tool.uId = kSubclassId;
  GetClientRect(control, &tool.rect);
  tool.lpszText = &tipText[0];
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  return tip;
}

}  // namespace

bool ParseAnchorColour(const std::wstring& text, COLORREF* colour) {
  int parts[3] = {};
  size_t at = 0;
  for (int i = 0; i < 3; ++i) {
    size_t digits = 0;
    int value = 0;
    while (at < text.size() && text[at] == L' ') ++at;
    while (at < text.size() && text[at] >= L'0' && text[at] <= L'9' && digits < 3) {
      value = value * 10 + (text[at++] - L'0');
      ++digits;
    }
    while (at < text.size() && text[at] == L' ') ++at;
    if (digits == 0 || value > 255) return false;
    parts[i] = value;
    if (i < 2) {
      if (at >= text.size() || text[at] != L',') return false;
      ++at;
    }
  }
  if (at != text.size()) return false;
  *colour = RGB(parts[0], parts[1], parts[2]);
  return true;
}

LinkColours BrowserLinkColours() {
  LinkColours colours;
  std::wstring text;
  if (ReadRegistryString(HKEY_CURRENT_USER, kBrowserSettingsKey, L"Anchor Color", &text)) {
    ParseAnchorColour(text, &colours.normal);
  }
  if (ReadRegistryString(HKEY_CURRENT_USER, kBrowserSettingsKey, L"Anchor Color Visited", &text)) {
    ParseAnchorColour(text, &colours.visited);
  }
  return colours;
}

LinkText SplitLinkText(const std::wstring& text) {
  LinkText parts;
  const size_t open = FindTag(text, L"<A>", 0);
  if (open == std::wstring::npos) {
    parts.link = text;
    return parts;
  }
  parts.before = text.substr(0, open);
  const size_t start = open + 3;
  const size_t close = FindTag(text, L"</A>", start);
  if (close == std::wstring::npos) {
    parts.link = text.substr(start);
    return parts;
  }
  parts.link = text.substr(start, close - start);
  parts.after = text.substr(close + 4);
  return parts;
}

bool AttachHyperlink(HWND staticControl, UINT commandId, bool browserColours) {
  auto link = std::make_unique<Hyperlink>();
  link->commandId = commandId;
  if (browserColours) {
    link->colours = BrowserLinkColours();
  } else {
    link->colours = {kOwnLinkColour, kOwnLinkColour};
  }
  // A static without SS_NOTIFY is transparent to the mouse.
  SetWindowLongPtrW(staticControl, GWL_STYLE,
                    GetWindowLongPtrW(staticControl, GWL_STYLE) | SS_NOTIFY);
  link->toolTip = CreateToolTip(staticControl);
  Hyperlink* raw = link.get();
  if (!SetWindowSubclass(staticControl, &HyperlinkProc, kSubclassId,
                         reinterpret_cast<DWORD_PTR>(raw))) {
    if (raw->toolTip != nullptr) DestroyWindow(raw->toolTip);
    return false;
  }
  link.release();
  InvalidateRect(staticControl, nullptr, TRUE);
  return true;
}

}  // namespace updater
