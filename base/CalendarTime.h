#pragma once

#include <windows.h>

#include <cstdint>

namespace updater {

// SYSTEMTIME and FILETIME values (100-ns units since 1601, UTC) converted by counting, with the
// results and refusals of SystemTimeToFileTime and FileTimeToSystemTime on Windows: the parsers
// of dates from servers and signed files then also build natively to be fuzzed, and Wine's
// conversion, which takes a 29th of February in any year, does not make the tests lenient.

// Whether year/month/day is a day of the calendar, in the years a SYSTEMTIME holds, 1601 to 30827.
bool IsCalendarDay(int year, int month, int day);

// The FILETIME value of `time`, whose day of the week is not read; false for what no calendar
// holds (a 31st of April, an hour 24, a year outside 1601 to 30827).
bool SystemTimeValue(const SYSTEMTIME& time, std::uint64_t* value);

// The time of a FILETIME value with its day of the week; false above 0x7FFFFFFFFFFFFFFF, the
// latest value Windows converts.
bool SystemTimeOf(std::uint64_t value, SYSTEMTIME* time);

}  // namespace updater
