#include "transfer/FeedTrailer.h"

#include <cstdio>

#include "base/CalendarTime.h"

namespace updater {
namespace {

constexpr char kSerial[] = ";serial=";
constexpr char kExpires[] = ";expires=";
constexpr char kSignature[] = ";signature=";
constexpr std::size_t kMaxSerialDigits = 10;
constexpr std::size_t kMaxSignatureChars = 200;

// The value after `prefix`, which the line must begin with; false otherwise.
bool ValueAfter(const std::string& line, const char* prefix, std::string* value) {
  const std::string start(prefix);
  if (line.compare(0, start.size(), start) != 0) return false;
  *value = line.substr(start.size());
  return true;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool ParseSerial(const std::string& text, DWORD* serial) {
  if (!AllDigits(text) || text.size() > kMaxSerialDigits) return false;
  const unsigned long long value = std::stoull(text);
  if (value > 0xFFFFFFFFull) return false;
  *serial = static_cast<DWORD>(value);
  return true;
}

// "YYYY-MM-DDTHH:MM:SSZ" and nothing else.
bool ParseExpiry(const std::string& text, ULONGLONG* ticks) {
  if (text.size() != 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
      text[13] != ':' || text[16] != ':' || text[19] != 'Z') {
    return false;
  }
  const auto number = [&](std::size_t at, std::size_t length, WORD* out) {
    const std::string digits = text.substr(at, length);
    if (!AllDigits(digits)) return false;
    *out = static_cast<WORD>(std::stoi(digits));
    return true;
  };
  SYSTEMTIME time = {};
  if (!number(0, 4, &time.wYear) || !number(5, 2, &time.wMonth) || !number(8, 2, &time.wDay) ||
      !number(11, 2, &time.wHour) || !number(14, 2, &time.wMinute) ||
      !number(17, 2, &time.wSecond)) {
    return false;
  }
  return SystemTimeValue(time, ticks);
}

}  // namespace

ResultCode ParseFeedTrailer(const std::string& bytes, FeedTrailer* trailer) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return kFeedSignatureInvalid;
  std::size_t end = bytes.size();
  if (end > 0 && bytes[end - 1] == '\n') --end;
  if (end > 0 && bytes[end - 1] == '\r') --end;
  // From the end: the signature, expiry and serial lines. None of them can start the file,
  // whose first line is its header.
  std::string lines[3];
  std::size_t starts[3] = {};
  for (int i = 0; i < 3; ++i) {
    const std::size_t newline = end == 0 ? std::string::npos : bytes.rfind('\n', end - 1);
    if (newline == std::string::npos) return kFeedSignatureInvalid;
    starts[i] = newline + 1;
    lines[i] = bytes.substr(starts[i], end - starts[i]);
    end = newline;
    if (end > 0 && bytes[end - 1] == '\r') --end;
  }
  std::string serial, expires, signature;
  FeedTrailer parsed;
  if (!ValueAfter(lines[2], kSerial, &serial) || !ParseSerial(serial, &parsed.serial) ||
      !ValueAfter(lines[1], kExpires, &expires) || !ParseExpiry(expires, &parsed.expires) ||
      !ValueAfter(lines[0], kSignature, &signature) || signature.empty() ||
      signature.size() > kMaxSignatureChars) {
    return kFeedSignatureInvalid;
  }
  parsed.signature.assign(signature.begin(), signature.end());
  parsed.trailerStart = starts[2];
  parsed.signedBytes = starts[0];
  *trailer = std::move(parsed);
  return kSuccess;
}

ResultCode CheckFeedFreshness(const FeedTrailer& trailer, ULONGLONG now, bool hasAccepted,
                              DWORD acceptedSerial) {
  if (now >= trailer.expires) return kFeedExpired;
  if (hasAccepted && trailer.serial < acceptedSerial) return kFeedRolledBack;
  return kSuccess;
}

SYSTEMTIME FeedExpiryAfterDays(ULONGLONG now, int days) {
  SYSTEMTIME expires = {};
  SystemTimeOf(now + static_cast<std::int64_t>(days) * 24 * 3600 * 10000000ll, &expires);
  return expires;
}

std::string FeedTrailerHead(DWORD serial, const SYSTEMTIME& expires) {
  char expiry[32] = {};
  std::snprintf(expiry, sizeof(expiry), "%04u-%02u-%02uT%02u:%02u:%02uZ", expires.wYear,
                expires.wMonth, expires.wDay, expires.wHour, expires.wMinute, expires.wSecond);
  return std::string(kSerial) + std::to_string(serial) + "\r\n" + kExpires + expiry + "\r\n";
}

std::string WithoutFeedTrailer(const std::string& bytes) {
  FeedTrailer trailer;
  if (ParseFeedTrailer(bytes, &trailer) != kSuccess) return bytes;
  return bytes.substr(0, trailer.trailerStart);
}

}  // namespace updater
