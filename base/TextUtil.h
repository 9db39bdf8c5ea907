#pragma once

#include <string>
#include <string_view>

namespace updater {

// Whether `c` is 0 to 9. The C runtime's iswdigit also takes the digits of other scripts and
// superscripts (U+00B2), which do not count as c - '0'.
inline bool IsAsciiDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// What the C runtime's isspace takes for white space.
inline constexpr wchar_t kWhiteSpace[] = L" \t\r\n\v\f";

// `text` without the characters of `blanks` at either end.
std::wstring Trim(std::wstring_view text, std::wstring_view blanks = kWhiteSpace);

// Whether `text` begins with `prefix`, ASCII letters matched in either case, as the C runtime's
// default locale folds them; every other character must be the same. Schemes, tags and titles
// compared this way cannot be matched by a look-alike that folds to ASCII in Unicode (the Kelvin
// sign to "k").
bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix);

}  // namespace updater
