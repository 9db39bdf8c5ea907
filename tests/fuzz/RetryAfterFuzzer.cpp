// ParseRetryAfter over a busy server's Retry-After, and ParseHttpDate within it: a wait it takes
// ends after `now` and at most a day later, and a date read is the time written (by the C
// library's count too), which written again reads the same.
#include <algorithm>
#include <cstring>

#include "FuzzSupport.h"
#include "base/CalendarTime.h"
#include "transfer/HttpDate.h"
#include "transfer/RetryAfter.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  // The time of the answer, at most the latest a FILETIME holds, then the value.
  std::uint64_t now = 0;
  if (size < sizeof(now)) return 0;
  std::memcpy(&now, data, sizeof(now));
  now &= 0x7FFFFFFFFFFFFFFFull;
  const std::wstring value = fuzz::Utf16Units(data + sizeof(now), size - sizeof(now));
  SYSTEMTIME time;
  FUZZ_CHECK(SystemTimeOf(now, &time) && fuzz::IsLibraryTime(time, now));
  std::uint64_t until = 0;
  const bool waits = ParseRetryAfter(value, now, &until);
  FUZZ_CHECK(!waits || (now < until && until - now <= kMaxServerWait));
  std::uint64_t date = 0;
  if (!ParseHttpDate(value, now, &date)) return 0;
  FUZZ_CHECK(waits == (date > now));
  FUZZ_CHECK(!waits || until - now == std::min(date - now, kMaxServerWait));
  FUZZ_CHECK(SystemTimeOf(date, &time) && fuzz::IsLibraryTime(time, date));
  // A two-digit year read near a `now` after 9950 may have five digits, which no HTTP date writes.
  if (time.wYear > 9999) return 0;
  const std::wstring written = FormatHttpDate(time);
  std::uint64_t again = 0;
  FUZZ_CHECK(ParseHttpDate(written, now, &again) && again == date);
  // "Sun, 06 Nov 1994 08:49:37 GMT" is written as read, but for the day's name, which is not read.
  FUZZ_CHECK(value.size() != written.size() || value[3] != L',' ||
             value.compare(3, std::wstring::npos, written, 3) == 0);
  return 0;
}
