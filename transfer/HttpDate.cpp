#include "transfer/HttpDate.h"

#include <cwchar>

#include "base/CalendarTime.h"
#include "base/TextUtil.h"

namespace updater {
namespace {

// Dates use the first three letters of each; only the obsolete RFC 850 form spells them out.
const wchar_t* const kDays[] = {L"Sunday",   L"Monday", L"Tuesday", L"Wednesday",
                                L"Thursday", L"Friday", L"Saturday"};
const wchar_t* const kMonths[] = {L"Jan", L"Feb", L"Mar", L"Apr", L"May", L"Jun",
                                  L"Jul", L"Aug", L"Sep", L"Oct", L"Nov", L"Dec"};

// Reads a date left to right; each step fails without moving when the text does not match.
class DateReader {
 public:
  explicit DateReader(const std::wstring& text) : text_(text) {}

  bool Literal(const wchar_t* literal) {
    const size_t size = wcslen(literal);
    if (text_.compare(at_, size, literal) != 0) return false;
    at_ += size;
    return true;
  }
  // Exactly `digits` decimal digits.
  bool Number(size_t digits, WORD* value) {
    if (text_.size() - at_ < digits) return false;
    WORD number = 0;
    for (size_t i = at_; i < at_ + digits; ++i) {
      if (!IsAsciiDigit(text_[i])) return false;
      number = static_cast<WORD>(number * 10 + (text_[i] - L'0'));
    }
    at_ += digits;
    *value = number;
    return true;
  }
  // A day name: its three letters, or all of it.
  bool Day(bool full) {
    for (const wchar_t* day : kDays) {
      if (full ? Literal(day) : Literal(std::wstring(day, 3).c_str())) return true;
    }
    return false;
  }
  bool Month(WORD* month) {
    for (WORD i = 0; i < 12; ++i) {
      if (Literal(kMonths[i])) {
        *month = static_cast<WORD>(i + 1);
        return true;
      }
    }
    return false;
  }
  bool Time(SYSTEMTIME* time) {
    return Number(2, &time->wHour) && Literal(L":") && Number(2, &time->wMinute) &&
           Literal(L":") && Number(2, &time->wSecond);
  }
  bool AtEnd() const { return at_ == text_.size(); }

 private:
  const std::wstring& text_;
  size_t at_ = 0;
};

// "Sun, 06 Nov 1994 08:49:37 GMT", or in the obsolete RFC 850 form
// "Sunday, 06-Nov-94 08:49:37 GMT", whose year comes back with two digits.
bool ReadGmtDate(const std::wstring& text, bool rfc850, SYSTEMTIME* time) {
  DateReader reader(text);
  const wchar_t* const separator = rfc850 ? L"-" : L" ";
  return reader.Day(rfc850) && reader.Literal(L", ") && reader.Number(2, &time->wDay) &&
         reader.Literal(separator) && reader.Month(&time->wMonth) && reader.Literal(separator) &&
         reader.Number(rfc850 ? 2 : 4, &time->wYear) && reader.Literal(L" ") &&
         reader.Time(time) && reader.Literal(L" GMT") && reader.AtEnd();
}

// "Sun Nov  6 08:49:37 1994"
bool ReadAsctimeDate(const std::wstring& text, SYSTEMTIME* time) {
  DateReader reader(text);
  return reader.Day(false) && reader.Literal(L" ") && reader.Month(&time->wMonth) &&
         reader.Literal(L" ") &&
         (reader.Number(2, &time->wDay) || (reader.Literal(L" ") && reader.Number(1, &time->wDay))) &&
         reader.Literal(L" ") && reader.Time(time) && reader.Literal(L" ") &&
         reader.Number(4, &time->wYear) && reader.AtEnd();
}

// A two-digit year is the latest year with those digits at most 50 years after `now`.
WORD FullYear(WORD twoDigits, std::uint64_t now) {
  SYSTEMTIME today = {};
  if (!SystemTimeOf(now, &today)) return static_cast<WORD>(1900 + twoDigits);
  int year = today.wYear - today.wYear % 100 + twoDigits + 100;
  while (year > today.wYear + 50) year -= 100;
  return static_cast<WORD>(year);
}

}  // namespace

std::wstring FormatHttpDate(const SYSTEMTIME& time) {
  SYSTEMTIME normalized = time;
  std::uint64_t value = 0;
  // The stored time may lack its day of the week; a round trip through FILETIME supplies it.
  if (SystemTimeValue(time, &value)) SystemTimeOf(value, &normalized);
  const unsigned month = normalized.wMonth >= 1 && normalized.wMonth <= 12 ? normalized.wMonth : 1;
  // Not FormatText: its printf is Windows' alone, and the date parser beside this builds anywhere.
  wchar_t text[64];
  std::swprintf(text, 64, L"%.3ls, %.2u %ls %.4u %.2u:%.2u:%.2u GMT",
                kDays[normalized.wDayOfWeek % 7], static_cast<unsigned>(normalized.wDay),
                kMonths[month - 1], static_cast<unsigned>(normalized.wYear),
                static_cast<unsigned>(normalized.wHour), static_cast<unsigned>(normalized.wMinute),
                static_cast<unsigned>(normalized.wSecond));
  return text;
}

bool ParseHttpDate(const std::wstring& text, std::uint64_t now, std::uint64_t* time) {
  SYSTEMTIME date = {};
  if (ReadGmtDate(text, true, &date)) {
    date.wYear = FullYear(date.wYear, now);
  } else if (!ReadGmtDate(text, false, &date) && !ReadAsctimeDate(text, &date)) {
    return false;
  }
  // The conversion refuses what no calendar holds: a 31st of April, an hour 24.
  return SystemTimeValue(date, time);
}

}  // namespace updater
