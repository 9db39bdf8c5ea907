#include "config/NextUpdateCheck.h"

#include <limits>

#include "config/ClientConfig.h"

namespace updater {
namespace {

constexpr std::uint64_t kFileTimeUnitsPerDay = 86400ull * 10000000ull;
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

std::uint64_t CurrentFileTime() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTimeValue(now);
}

void ScheduleNextCheck(const ClientConfig& config, int days) {
  config.Settings().WriteTime(SettingsKey::Settings, L"NextUpdateCheck",
                              ToFileTime(NextCheckTime(CurrentFileTime(), days)));
}

}  // namespace updater
