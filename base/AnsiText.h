#pragma once

#include <string>

namespace updater {

// `text` in the ANSI code page of the system; characters it lacks become its default character.
std::string ToAnsiText(const std::wstring& text);

// `text` in the ANSI code page of the system when each character has an exact counterpart there;
// false when one would be replaced by a look-alike (a full-width quote by '"') or the default
// character, which would change what a reader of the ANSI text sees.
bool ToExactAnsiText(const std::wstring& text, std::string* ansi);

// Whether `a` and `b` are the same text but for the case of their letters (ordinal, not by
// locale).
bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b);

// A C0 or C1 control character: one that ends or breaks a line, a log line or an INI value.
inline bool IsControlCharacter(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

// `text` as UTF-8, and back; unpaired surrogates and invalid bytes become U+FFFD.
std::string ToUtf8Text(const std::wstring& text);
std::wstring FromUtf8Text(const std::string& bytes);

}  // namespace updater
