#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace updater {

// RFC 1123 form, "Sun, 06 Nov 1994 08:49:37 GMT"; the day of the week is computed from the date.
std::wstring FormatHttpDate(const SYSTEMTIME& time);

// The FILETIME value of an HTTP date in any of the three forms a server may send:
// "Sun, 06 Nov 1994 08:49:37 GMT", "Sunday, 06-Nov-94 08:49:37 GMT" (the two-digit year taken
// within 50 years of `now`) and "Sun Nov  6 08:49:37 1994". The day name is not checked against
// the date. False for anything else, trailing text included.
bool ParseHttpDate(const std::wstring& text, std::uint64_t now, std::uint64_t* time);

}  // namespace updater
