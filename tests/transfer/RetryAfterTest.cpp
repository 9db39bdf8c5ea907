#include "transfer/RetryAfter.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TransferTestSupport.h"

namespace updater {
namespace {

using test::Narrow;

constexpr std::uint64_t kSecond = 10000000;
constexpr std::int64_t kDaySeconds = 86400;
constexpr std::uint64_t kNow = 124285824000000000;  // Sun, 06 Nov 1994 08:00:00 GMT

TEST(RetryAfterTest, ReadsSecondsAndDatesCappedAtADay) {
  // Retry-After -> seconds from now to wait, -1 for no wait.
  const std::tuple<const wchar_t*, std::int64_t> cases[] = {
      {L"3600", 3600},
      {L" 120\t", 120},
      {L"0003600", 3600},
      {L"Sun, 06 Nov 1994 08:49:37 GMT", 2977},
      {L"Sunday, 06-Nov-94 08:49:37 GMT", 2977},
      {L"Sun Nov  6 08:49:37 1994", 2977},
      {L"Sun Nov 16 08:00:00 1994", kDaySeconds},
      {L"86401", kDaySeconds},
      {L"99999999999999999999999999999999", kDaySeconds},
      {L"Tue, 08 Nov 1994 08:00:00 GMT", kDaySeconds},
      // Two-digit years lie within 50 years of now.
      {L"Sunday, 06-Nov-44 08:49:37 GMT", kDaySeconds},
      {L"Monday, 06-Nov-45 08:49:37 GMT", -1},
      {L"Sun, 06 Nov 1994 07:59:59 GMT", -1},
      {L"Sun, 06 Nov 1994 08:00:00 GMT", -1},
      {L"0", -1},
      {L"", -1},
      {L"  ", -1},
      {L"-5", -1},
      {L"1.5", -1},
      {L"3600 seconds", -1},
      {L"\u00B2", -1},  // superscript two, a digit to the C runtime
      {L"soon", -1},
      {L"Sun, 06 Nov 1994 08:49:37 GMT junk", -1},
      {L"Sun, 06 Nov 1994 08:49:37", -1},
      {L"Sun, 31 Nov 1994 08:49:37 GMT", -1},
      {L"Sun, 06 Nov 1994 24:00:00 GMT", -1},
      {L"Sun, 6 Nov 1994 08:49:37 GMT", -1},
      {L"Sun, 06 Nov 199\u00B2 08:49:37 GMT", -1},  // superscript two: not the year 2120
      {L"Sunday, 06 Nov 1994 08:49:37 GMT", -1},
  };
  for (const auto& [value, seconds] : cases) {
    std::uint64_t until = 0;
    const bool waits = ParseRetryAfter(value, kNow, &until);
    EXPECT_EQ(seconds >= 0, waits) << '"' << Narrow(value) << '"';
    if (waits && seconds >= 0) {
      EXPECT_EQ(kNow + static_cast<std::uint64_t>(seconds) * kSecond, until) << Narrow(value);
    }
  }
}

TEST(RetryAfterTest, AStoredTimeHoldsRequestsBackOnlyWithinADay) {
  const std::tuple<const char*, bool, std::uint64_t, ServerWait> cases[] = {
      {"no value", false, 0, ServerWait::None},
      {"an hour ahead", true, kNow + 3600 * kSecond, ServerWait::Wait},
      {"a day ahead", true, kNow + kMaxServerWait, ServerWait::Wait},
      {"now", true, kNow, ServerWait::None},
      {"past", true, kNow - kSecond, ServerWait::None},
      {"beyond a day ahead: the clock went back", true, kNow + kMaxServerWait + kSecond,
       ServerWait::Stale},
  };
  for (const auto& [what, stored, until, wait] : cases) {
    EXPECT_EQ(wait, DecideServerWait(stored, until, kNow)) << what;
  }
}

}  // namespace
}  // namespace updater
