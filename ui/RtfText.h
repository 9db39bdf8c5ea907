#pragma once

#include <windows.h>

#include <string>

namespace updater {

// ASCII letters and digits as they are, every other UTF-16 code unit as "\u<value>?", so that no
// text can end a group or start a control word of the document.
std::string EscapeRtf(const std::wstring& text);

// The opening of every document, up to its first character: code page, fonts (font 2 draws the
// section titles: "Segoe UI Semibold" where Windows has it) and language.
std::string RtfHeader(UINT codePage, LANGID language, bool semiboldTitles);

// RtfHeader for this system's default language and Windows version, worked out once.
const std::string& SystemRtfHeader();

}  // namespace updater
