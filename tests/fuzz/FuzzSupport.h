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

// The FILETIME value of a UTC time by the C library's count, to hold the product's own to; 0 when
// the library finds no such time and moves a field to make one (a 30th of February).
inline std::uint64_t LibraryFileTime(const SYSTEMTIME& time) {
  std::tm asked = {};
  asked.tm_year = time.wYear - 1900;
  asked.tm_mon = time.wMonth - 1;
  asked.tm_mday = time.wDay;
  asked.tm_hour = time.wHour;
  asked.tm_min = time.wMinute;
  asked.tm_sec = time.wSecond;
  std::tm made = asked;
  const std::int64_t seconds = timegm(&made);
  if (made.tm_year != asked.tm_year || made.tm_mon != asked.tm_mon ||
      made.tm_mday != asked.tm_mday || made.tm_hour != asked.tm_hour ||
      made.tm_min != asked.tm_min || made.tm_sec != asked.tm_sec) {
    return 0;
  }
  return (seconds + 11644473600) * 10000000ull + time.wMilliseconds * 10000ull;
}

}  // namespace updater::fuzz
