#include "base/CalendarTime.h"

namespace updater {
namespace {

constexpr std::uint64_t kUnitsPerMillisecond = 10000;
constexpr std::uint64_t kUnitsPerSecond = 1000 * kUnitsPerMillisecond;
constexpr std::uint64_t kUnitsPerDay = 86400 * kUnitsPerSecond;
constexpr std::uint64_t kLatestValue = 0x7FFFFFFFFFFFFFFFull;

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int MonthDays(int year, int month) {
  static constexpr int kMonthDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return kMonthDays[month - 1] + (month == 2 && IsLeapYear(year) ? 1 : 0);
}

// Days from 1 January 1601 to 1 January of `year`. 1601 begins a 400-year cycle of leap years,
// so that the leap years before `year` are counted as in the years since 0.
std::uint64_t DaysBeforeYear(int year) {
  const std::uint64_t years = static_cast<std::uint64_t>(year - 1601);
  return years * 365 + years / 4 - years / 100 + years / 400;
}

}  // namespace

bool IsCalendarDay(int year, int month, int day) {
  return year >= 1601 && year <= 30827 && month >= 1 && month <= 12 && day >= 1 &&
         day <= MonthDays(year, month);
}

bool SystemTimeValue(const SYSTEMTIME& time, std::uint64_t* value) {
  if (!IsCalendarDay(time.wYear, time.wMonth, time.wDay) || time.wHour > 23 ||
      time.wMinute > 59 || time.wSecond > 59 || time.wMilliseconds > 999) {
    return false;
  }
  std::uint64_t days = DaysBeforeYear(time.wYear) + time.wDay - 1;
  for (int month = 1; month < time.wMonth; ++month) days += MonthDays(time.wYear, month);
  const std::uint64_t seconds = (time.wHour * 60ull + time.wMinute) * 60 + time.wSecond;
  *value = days * kUnitsPerDay + seconds * kUnitsPerSecond +
           time.wMilliseconds * kUnitsPerMillisecond;
  return true;
}

bool SystemTimeOf(std::uint64_t value, SYSTEMTIME* time) {
  if (value > kLatestValue) return false;
  std::uint64_t days = value / kUnitsPerDay;
  const std::uint64_t milliseconds = value % kUnitsPerDay / kUnitsPerMillisecond;
  SYSTEMTIME result = {};
  result.wDayOfWeek = static_cast<WORD>((days + 1) % 7);  // 1 January 1601 was a Monday
  // From the average year (146097 days a 400 years), which is off by a year at most.
  int year = 1601 + static_cast<int>(days * 400 / 146097);
  while (DaysBeforeYear(year) > days) --year;
  while (DaysBeforeYear(year + 1) <= days) ++year;
  days -= DaysBeforeYear(year);
  int month = 1;
  for (; days >= static_cast<std::uint64_t>(MonthDays(year, month)); ++month) {
    days -= MonthDays(year, month);
  }
  result.wYear = static_cast<WORD>(year);
  result.wMonth = static_cast<WORD>(month);
  result.wDay = static_cast<WORD>(days + 1);
  result.wHour = static_cast<WORD>(milliseconds / 3600000);
  result.wMinute = static_cast<WORD>(milliseconds / 60000 % 60);
  result.wSecond = static_cast<WORD>(milliseconds / 1000 % 60);
  result.wMilliseconds = static_cast<WORD>(milliseconds % 1000);
  *time = result;
  return true;
}

}  // namespace updater
