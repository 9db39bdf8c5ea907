#include "config/CheckSchedule.h"

#include <limits>

#include "config/ClientConfig.h"

namespace updater {
namespace {

constexpr std::uint64_t kFileTimeUnitsPerDay = 86400ull * 10000000ull;
// FileTimeToSystemTime rejects anything above this, so a later time could not be shown.
constexpr std::uint64_t kLatestFileTime = std::numeric_limits<std::int64_t>::max();

std::uint64_t ToUint64(const FILETIME& time) {
  return (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(std::uint64_t value) {
  FILETIME time;
  time.dwLowDateTime = static_cast<DWORD>(value);
  time.dwHighDateTime = static_cast<DWORD>(value >> 32);
  return time;
}

}  // namespace

CheckDue DecideCheckDue(const ScheduleValues& values, std::uint64_t now) {
  CheckDue answer;
  if (values.hasPolicy) {
    if (values.policy == 0) {
      answer.disabledByPolicy = true;
      return answer;
    }
  } else if (values.hasNoAutoCheck && values.noAutoCheck) {
    return answer;
  }
  answer.due = !values.hasNextCheck || now >= values.nextCheck;
  return answer;
}

ResultCode CheckDueResult(const CheckDue& answer) {
  if (answer.due) return kSuccess;
  return answer.disabledByPolicy ? kCheckDisabledByPolicy : kCheckNotDue;
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
  return ToUint64(now);
}

ScheduleValues ReadScheduleValues(const SettingsStore& settings) {
  ScheduleValues values;
  values.hasPolicy = settings.ReadDword(SettingsKey::Settings, L"AutoUpdatePolicy", &values.policy);
  values.hasNoAutoCheck =
      settings.ReadFlag(SettingsKey::Settings, L"NoAutoUpdateCheck", &values.noAutoCheck);
  FILETIME next = {};
  values.hasNextCheck = settings.ReadTime(SettingsKey::Settings, L"NextUpdateCheck", &next);
  values.nextCheck = ToUint64(next);
  return values;
}

CheckDue IsCheckDue(const ClientConfig& config) {
  return DecideCheckDue(ReadScheduleValues(config.Settings()), CurrentFileTime());
}

ResultCode CheckDueResult(const ClientConfig& config) {
  return CheckDueResult(IsCheckDue(config));
}

void ScheduleNextCheck(const ClientConfig& config, int days) {
  config.Settings().WriteTime(SettingsKey::Settings, L"NextUpdateCheck",
                              ToFileTime(NextCheckTime(CurrentFileTime(), days)));
}

}  // namespace updater
