#pragma once

#include <windows.h>
#include <shellapi.h>

#include <cstddef>
#include <string>

#include "base/ResultCode.h"

namespace updater {

// Tool-tip characters (with the terminating null) the shell takes: shells from version 5 on
// read the whole 128-character field, older ones only the first 64.
constexpr std::size_t kNewShellTipCapacity = 128;
constexpr std::size_t kOldShellTipCapacity = 64;
constexpr std::size_t kBalloonTextLimit = 255;
constexpr std::size_t kBalloonTitleLimit = 63;

std::size_t TipCapacity(DWORD shellMajorVersion);

// At most `limit` characters of `text`, never ending inside a surrogate pair.
std::wstring CutText(const std::wstring& text, std::size_t limit);

// The tool tip for `name`: each "&" written as "&&" (the shell shows "&&" as one ampersand) and
// cut to `capacity` with room for the terminating null, never between the two ampersands of a
// pair, which would leave a lone "&" that the shell drops.
std::wstring TipText(const std::wstring& name, std::size_t capacity);

// The icon in the notification area. The data block has the 952-byte form, which every shell
// since Windows XP reads in full; the callback messages then carry the mouse message itself.
class TrayIcon {
 public:
  TrayIcon();
  TrayIcon(const TrayIcon&) = delete;
  TrayIcon& operator=(const TrayIcon&) = delete;
  ~TrayIcon() { Remove(); }

  // Adds the icon `id` of `window` with `callbackMessage` and the tool tip `tip` (as TipText
  // writes it). The icon handle stays the caller's and must live while the icon is shown. A
  // failure leaves the icon absent: Remove() then skips it and the others answer ERROR_NOT_FOUND.
  ResultCode Add(HWND window, UINT id, UINT callbackMessage, HICON icon, const std::wstring& tip);
  ResultCode SetTip(const std::wstring& tip);
  // The text is cut to kBalloonTextLimit characters, the title to kBalloonTitleLimit.
  ResultCode ShowBalloon(const std::wstring& text, const std::wstring& title, UINT timeoutMs,
                         DWORD flags);
  ResultCode Remove();
  bool IsAdded() const { return added_; }

 private:
  ResultCode Notify(DWORD message);

  NOTIFYICONDATAW data_;
  std::size_t tipCapacity_;
  bool added_ = false;
};

}  // namespace updater
