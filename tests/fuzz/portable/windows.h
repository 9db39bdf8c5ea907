#pragma once

// The few Win32 types and constants the fuzzed parsers name, for the native build alone (the
// Windows build uses the real header). No functions: a parser that calls Win32 is not fuzzed.
#include <cstdint>

using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using ULONGLONG = std::uint64_t;
using COLORREF = DWORD;
struct SYSTEMTIME {
  WORD wYear, wMonth, wDayOfWeek, wDay, wHour, wMinute, wSecond, wMilliseconds;
};

#define RGB(r, g, b) static_cast<COLORREF>(((r) & 0xFF) | ((g) & 0xFF) << 8 | ((b) & 0xFF) << 16)
#define ERROR_INVALID_DATA 13L
#define ERROR_FILE_TOO_LARGE 223L
