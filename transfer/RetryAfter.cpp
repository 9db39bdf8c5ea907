#include "transfer/RetryAfter.h"

#include "base/TextUtil.h"
#include "transfer/HttpDate.h"

namespace updater {
namespace {

constexpr std::uint64_t kFileTimeUnitsPerSecond = 10000000ull;

bool IsOptionalSpace(wchar_t c) { return c == L' ' || c == L'\t'; }

// delay-seconds, saturated at the longest wait; false unless all of `text` is digits.
bool ParseDelaySeconds(const std::wstring& text, std::uint64_t* delay) {
  constexpr std::uint64_t kMaxSeconds = kMaxServerWait / kFileTimeUnitsPerSecond;
  std::uint64_t seconds = 0;
  for (const wchar_t c : text) {
    if (!IsAsciiDigit(c)) return false;
    seconds = seconds * 10 + static_cast<unsigned>(c - L'0');
    if (seconds > kMaxSeconds) seconds = kMaxSeconds;
  }
  *delay = seconds * kFileTimeUnitsPerSecond;
  return !text.empty();
}

}  // namespace

bool ParseRetryAfter(const std::wstring& value, std::uint64_t now, std::uint64_t* until) {
  size_t begin = 0;
  size_t end = value.size();
  while (begin < end && IsOptionalSpace(value[begin])) ++begin;
  while (end > begin && IsOptionalSpace(value[end - 1])) --end;
  const std::wstring text = value.substr(begin, end - begin);
  std::uint64_t delay = 0;
  std::uint64_t date = 0;
  if (ParseDelaySeconds(text, &delay)) {
    if (delay == 0) return false;
  } else if (ParseHttpDate(text, now, &date) && date > now) {
    delay = date - now < kMaxServerWait ? date - now : kMaxServerWait;
  } else {
    return false;
  }
  *until = now + delay;
  return true;
}

ServerWait DecideServerWait(bool stored, std::uint64_t until, std::uint64_t now) {
  if (!stored || until <= now) return ServerWait::None;
  return until - now > kMaxServerWait ? ServerWait::Stale : ServerWait::Wait;
}

}  // namespace updater
