#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// The text of a result code in English, for the log, the COM interface and tools that read them:
// the string table for the program's own codes, then texts registered at run time, then "0x%X";
// the system's message text for Windows and WinINet errors.
std::wstring ResultText(ResultCode code);

// The same text in the user's language (UiLanguage), for windows, message boxes and the summary.
std::wstring UserResultText(ResultCode code);

// GetLastError, or `fallback` when the failed call left no error.
ResultCode LastErrorOr(ResultCode fallback);

// Adds a text for an own code that has none in the string table. A code registered twice keeps
// its first text.
void RegisterResultText(ResultCode code, const std::wstring& text);

// Loads a string from this executable's string table in the user's language (UiLanguage), or in
// English when that language lacks it; empty when the id is unknown.
std::wstring LoadResourceString(unsigned id);

// printf-style formatting into a std::wstring.
std::wstring FormatText(const wchar_t* format, ...);

}  // namespace updater
