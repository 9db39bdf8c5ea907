#include "config/NextUpdateCheck.h"

#include <algorithm>
#include <limits>

#include "base/SystemRandom.h"
#include "config/ClientConfig.h"

namespace updater {
namespace {

constexpr std::uint64_t kFileTimeUnitsPerSecond = 10000000ull;
constexpr std::uint64_t kSecondsPerDay = 86400ull;
constexpr std::uint64_t kFileTimeUnitsPerDay = kSecondsPerDay * kFileTimeUnitsPerSecond;
// FileTimeToSystemTime rejects anything above this, so a later time could not be shown.
constexpr std::uint64_t kLatestFileTime = std::numeric_limits<std::int64_t>::max();

}  // namespace

std::uint64_t FileTimeValue(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(value);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

std::uint64_t NextCheckTime(std::uint64_t now, int days) {
  if (days < 0) {
    const std::uint64_t back = static_cast<std::uint64_t>(-static_cast<std::int64_t>(days));
    return now / kFileTimeUnitsPerDay < back ? 0 : now - back * kFileTimeUnitsPerDay;
  }
  const std::uint64_t ahead = static_cast<std::uint64_t>(days);
  if (now > kLatestFileTime || (kLatestFileTime - now) / kFileTimeUnitsPerDay < ahead) {
    return kLatestFileTime;
  }
  return now + ahead * kFileTimeUnitsPerDay;
}

std::uint64_t CheckSpread(int days, std::uint32_t random) {
  if (days <= 0) return 0;
  const std::uint64_t limit = std::min<std::uint64_t>(
      static_cast<std::uint64_t>(days) * kSecondsPerDay / 10, kSecondsPerDay);
  // In whole seconds, so that the product stays within 64 bits.
  return (static_cast<std::uint64_t>(random) * limit >> 32) * kFileTimeUnitsPerSecond;
}

std::uint64_t CurrentFileTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

namespace {

// A failed write only means the next start checks again.
void WriteNextCheck(const ClientConfig& config, std::uint64_t time) {
  config.Settings().WriteTime(SettingsKey::Settings, L"NextUpdateCheck", ToFileTime(time));
}

}  // namespace

void ScheduleNextCheck(const ClientConfig& config, int days) {
  WriteNextCheck(config, NextCheckTime(CurrentFileTime(), days));
}

void ScheduleSpreadCheck(const ClientConfig& config, int days) {
  std::uint32_t random = 0;
  if (FillRandom(&random, sizeof(random)) != kSuccess) random = 0;
  const std::uint64_t next = NextCheckTime(CurrentFileTime(), days);
  const std::uint64_t spread = CheckSpread(days, random);
  WriteNextCheck(config, next > kLatestFileTime - spread ? kLatestFileTime : next + spread);
}

}  // namespace updater
