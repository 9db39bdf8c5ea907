#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

// The last three lines of a signed update configuration file, 8-bit text (UTF-8 or ANSI), which
// every reader of the format takes for comments:
//   ;serial=N                        raised by the publisher with every release of the file
//   ;expires=YYYY-MM-DDTHH:MM:SSZ    in UTC
//   ;signature=BASE64                over every byte before this line
// The signature line is the last line (a line break may follow it), so that nothing after it
// can go unsigned.
struct FeedTrailer {
  std::size_t trailerStart = 0;  // where the serial line begins
  std::size_t signedBytes = 0;   // where the signature line begins
  DWORD serial = 0;
  ULONGLONG expires = 0;  // FILETIME ticks
  std::wstring signature;
};

// Reads the trailer of the file's bytes: 0, or kFeedSignatureInvalid when the lines are missing,
// out of order or malformed, or the file is UTF-16.
ResultCode ParseFeedTrailer(const std::string& bytes, FeedTrailer* trailer);

// kFeedExpired at or after the expiry, kFeedRolledBack below the newest serial accepted (when one
// was), else 0.
ResultCode CheckFeedFreshness(const FeedTrailer& trailer, ULONGLONG now, bool hasAccepted,
                              DWORD acceptedSerial);

// The time `days` days after the FILETIME value `now` (before it for a negative count), in UTC.
SYSTEMTIME FeedExpiryAfterDays(ULONGLONG now, int days);

// The serial and expiry lines, each with its line break, that the signature line follows.
std::string FeedTrailerHead(DWORD serial, const SYSTEMTIME& expires);

// The file's bytes without a trailer it may carry (from its serial line on), so that a file can be
// signed again.
std::string WithoutFeedTrailer(const std::string& bytes);

}  // namespace updater
