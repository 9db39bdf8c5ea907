#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

// A wrong result stops the run as a crash does, so that libFuzzer keeps the input.
#define FUZZ_CHECK(...)                                                                 \
  do {                                                                                  \
    if (!(__VA_ARGS__)) {                                                               \
      std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #__VA_ARGS__); \
      std::abort();                                                                     \
    }                                                                                   \
  } while (false)

namespace updater::fuzz {

// Text as UTF-16 code units, as on Windows (wchar_t is wider here and holds none above 0xFFFF):
// a byte a unit up to U+00FE, so that ASCII grammar is easy to reach, and 0xFF makes the next two
// bytes one unit, little-endian.
inline std::wstring Utf16Units(const std::uint8_t* data, std::size_t size) {
  std::wstring text;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != 0xFF) {
      text += static_cast<wchar_t>(data[i]);
    } else if (i + 2 < size) {
      text += static_cast<wchar_t>(data[i + 1] | data[i + 2] << 8);
      i += 2;
    }
  }
  return text;
}

// Whether `time` is FILETIME value `value` as the C library counts: the product's own count held
// to another.
inline bool IsLibraryTime(const SYSTEMTIME& time, std::uint64_t value) {
  const std::time_t seconds = static_cast<std::time_t>(value / 10000000) - 11644473600;
  std::tm fields = {};
  gmtime_r(&seconds, &fields);
  return fields.tm_year + 1900 == time.wYear && fields.tm_mon + 1 == time.wMonth &&
         fields.tm_mday == time.wDay && fields.tm_wday == time.wDayOfWeek &&
         fields.tm_hour == time.wHour && fields.tm_min == time.wMinute &&
         fields.tm_sec == time.wSecond && value / 10000 % 1000 == time.wMilliseconds;
}

}  // namespace updater::fuzz
