#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace updater {

// The longest wait a server's Retry-After can impose, in FILETIME units: a day, so that a wrong
// or hostile answer cannot keep the updater away from its updates for longer.
constexpr std::uint64_t kMaxServerWait = 86400ull * 10000000ull;
// Longer than any valid value (an HTTP date has 29 characters); a longer one is not read.
constexpr std::size_t kMaxRetryAfterChars = 64;

// The time (FILETIME value) until which the Retry-After `value` of a 503 or 429 answer received
// at `now` asks not to be contacted: delay-seconds or an HTTP date, at most kMaxServerWait ahead.
// False when it asks for no wait: empty, 0, a date not after `now`, or anything else.
bool ParseRetryAfter(const std::wstring& value, std::uint64_t now, std::uint64_t* until);

enum class ServerWait {
  None,   // nothing stored, or a time that has passed: contact the server
  Wait,   // no request before the stored time
  Stale,  // beyond the longest wait, so the clock was set back since: forget the time
};

// What a stored Retry-After time (`stored`: whether there is one) means at `now`.
ServerWait DecideServerWait(bool stored, std::uint64_t until, std::uint64_t now);

}  // namespace updater
