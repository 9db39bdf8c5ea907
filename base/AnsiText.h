#pragma once

#include <string>

namespace updater {

// `text` in the ANSI code page of the system; characters it lacks become its default character.
std::string ToAnsiText(const std::wstring& text);

// `text` in the ANSI code page of the system when each character has an exact counterpart there;
// false when one would be replaced by a look-alike (a full-width quote by '"') or the default
// character, which would change what a reader of the ANSI text sees.
bool ToExactAnsiText(const std::wstring& text, std::string* ansi);

// `text` as UTF-8, and back; unpaired surrogates and invalid bytes become U+FFFD.
std::string ToUtf8Text(const std::wstring& text);
std::wstring FromUtf8Text(const std::string& bytes);

}  // namespace updater
