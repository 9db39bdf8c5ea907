#pragma once

#include <windows.h>

#include <string>

namespace updater {

// Link colours of a hyperlink control: before and after its first click.
struct LinkColours {
  COLORREF normal = RGB(0, 0, 255);
  COLORREF visited = RGB(128, 0, 128);
};

// The colour the browser settings store as "R,G,B" text; false for anything else.
bool ParseAnchorColour(const std::wstring& text, COLORREF* colour);

// "Anchor Color" and "Anchor Color Visited" under HKEY_CURRENT_USER\Software\Microsoft\Internet
// Explorer\Settings; each missing or malformed one keeps its default, blue or purple.
LinkColours BrowserLinkColours();

// A control's text split at "<A>" and "</A>": the linked part and the plain text around it. A
// text without "<A>" is linked as a whole; one without "</A>" is linked to its end.
struct LinkText {
  std::wstring before;
  std::wstring link;
  std::wstring after;
};
LinkText SplitLinkText(const std::wstring& text);

// The colour of the choice page's "Configure Options" link unless browser colours are asked for.
constexpr COLORREF kOwnLinkColour = 0x00E78800;

// Turns a static control of a dialog into a link: its text (with "<A>...</A>" marking the linked
// part) is drawn with the linked part underlined in the link colour, the mouse shows the hand over
// it and a tool tip naming it, and a click on it sends WM_COMMAND with `commandId` and BN_CLICKED
// (lParam: the control) to the control's parent; after the first click the visited colour is used.
// `browserColours` takes the colours from BrowserLinkColours(), otherwise both are kOwnLinkColour.
// The control keeps the link until it is destroyed, which frees everything attached here. False
// when the control could not be subclassed.
bool AttachHyperlink(HWND staticControl, UINT commandId, bool browserColours);

}  // namespace updater
