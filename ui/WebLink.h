#pragma once

#include <windows.h>
#include <richedit.h>

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "ui/FormatRange.h"

namespace updater {

// Only web links are opened: links come from the server's texts and from a URL protocol that any
// web page can invoke, and handing a local path or another scheme to the shell would start
// programs.
bool IsOpenableLink(const std::wstring& link);

// The Internet shortcut that opens `target`: "[InternetShortcut]\r\nURL=", the target in UTF-8
// with every byte outside the URL characters written as %XX, and a line end. Empty when the
// target is not an openable link or the shortcut would pass kMaxShortcutBytes.
constexpr std::size_t kMaxShortcutBytes = 2048;
std::string InternetShortcutText(const std::wstring& target);

// The link range a click on the characters `clicked` hit; null when none spans exactly them.
const FormatRange* FindLink(const std::vector<FormatRange>& ranges, const CHARRANGE& clicked);

// Opens a clicked link through a temporary Internet shortcut, so that the target reaches the
// browser as a URL and never as a command line. `shortcutPath` receives the file, which the
// caller deletes once the browser has had time to read it. A refused target creates no file and
// returns ERROR_INVALID_DATA.
ResultCode OpenLink(const FormatRange& link, std::wstring* shortcutPath);

}  // namespace updater
