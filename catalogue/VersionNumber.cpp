#include "catalogue/VersionNumber.h"

#include "base/TextUtil.h"

namespace updater {
namespace {

constexpr std::int32_t kLargestBeforeLastDigit = 214748364;  // 0x7FFFFFFF / 10
constexpr std::int32_t kLargestLastDigit = 7;                // 0x7FFFFFFF % 10

}  // namespace

VersionNumber::VersionNumber(std::int32_t major, std::int32_t minor, std::int32_t build,
                             std::int32_t revision)
    : parts_{major, minor, build, revision}, count_(4) {}

bool VersionNumber::Parse(const std::wstring& text) {
  *this = VersionNumber();
  size_t position = 0;
  const auto skipToDigit = [&] {
    while (position < text.size() && !IsAsciiDigit(text[position])) ++position;
    return position < text.size();
  };
  if (!skipToDigit()) return false;
  std::int32_t groups = 0;
  do {
    // Groups after the fourth only count: their digits are skipped, however many there are.
    if (groups >= 4) {
      while (position < text.size() && IsAsciiDigit(text[position])) ++position;
      groups = 5;
      continue;
    }
    std::int32_t value = 0;
    for (; position < text.size() && IsAsciiDigit(text[position]); ++position) {
      const std::int32_t digit = text[position] - L'0';
      // The last digit is checked too, so that 2147483648 fails instead of wrapping around.
      if (value > kLargestBeforeLastDigit ||
          (value == kLargestBeforeLastDigit && digit > kLargestLastDigit)) {
        *this = VersionNumber();
        return false;
      }
      value = value * 10 + digit;
    }
    parts_[groups] = value;
    ++groups;
  } while (skipToDigit());
  count_ = groups;
  return true;
}

std::wstring VersionNumber::ToString() const {
  int last = 3;
  while (last >= 0 && (parts_[last] == 0 || parts_[last] == 65535)) --last;
  if (last < 0) return L"0.0.0.0";
  if (last < 1) last = 1;
  std::wstring text = std::to_wstring(parts_[0]);
  for (int i = 1; i <= last; ++i) text += L"." + std::to_wstring(parts_[i]);
  return text;
}

bool VersionNumber::IsZero() const {
  return parts_[0] == 0 && parts_[1] == 0 && parts_[2] == 0 && parts_[3] == 0;
}

bool Equal(const VersionNumber& a, const VersionNumber& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.Field(i) != b.Field(i)) return false;
  }
  return true;
}

bool AtLeast(const VersionNumber& a, const VersionNumber& b) {
  for (int i = 0; i < 4; ++i) {
    if (a.Field(i) != b.Field(i)) return a.Field(i) > b.Field(i);
  }
  return true;
}

}  // namespace updater
