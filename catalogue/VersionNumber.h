#pragma once

#include <cstdint>
#include <string>

namespace updater {

// Four signed 32-bit fields (major, minor, build, revision) with a lenient parser: every run of
// non-digits separates two groups, so "v10_3" and "2.1 build 7" both read.
class VersionNumber {
 public:
  VersionNumber() = default;
  VersionNumber(std::int32_t major, std::int32_t minor, std::int32_t build, std::int32_t revision);

  // Resets the value, then reads up to four digit groups; later groups only raise the count, so
  // their size does not matter. False for a text without digits or one of the first four groups
  // overflowing; the value is then all zero.
  bool Parse(const std::wstring& text);

  // "1.2", "1.2.3", "5.0.0.7"; trailing fields of 0 or 65535 are left out, but major and minor
  // are always printed; the all-zero value prints as "0.0.0.0".
  std::wstring ToString() const;

  std::int32_t Field(int index) const { return parts_[index]; }
  // Digit groups the parser met: 0 before a successful parse, 5 for more than four.
  std::int32_t Count() const { return count_; }
  // All four fields zero: an absent bound.
  bool IsZero() const;

 private:
  std::int32_t parts_[4] = {0, 0, 0, 0};
  std::int32_t count_ = 0;
};

// All four fields equal; the group count is not compared.
bool Equal(const VersionNumber& a, const VersionNumber& b);
// a >= b, field by field from the major as signed numbers.
bool AtLeast(const VersionNumber& a, const VersionNumber& b);

}  // namespace updater
