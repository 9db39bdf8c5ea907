#pragma once

#include <windows.h>

#include <cstdint>

#include "base/ResultCode.h"
#include "config/SettingsStore.h"

namespace updater {

class ClientConfig;

// The stored values that decide whether an automatic check is due; `has...` says whether the
// value exists.
struct ScheduleValues {
  bool hasPolicy = false;
  DWORD policy = 0;
  bool hasNoAutoCheck = false;
  bool noAutoCheck = false;
  bool hasNextCheck = false;
  std::uint64_t nextCheck = 0;  // FILETIME in UTC, 100-ns units since 1601
};

struct CheckDue {
  bool due = false;
  bool disabledByPolicy = false;
};

// The policy, when stored, decides alone whether checks are off; then the next-check time, which
// counts only while it lies in the future.
CheckDue DecideCheckDue(const ScheduleValues& values, std::uint64_t now);

// 0 when due; kCheckDisabledByPolicy or kCheckNotDue otherwise.
ResultCode CheckDueResult(const CheckDue& answer);

// now + days, saturated so that a huge frequency cannot wrap around into the past.
std::uint64_t NextCheckTime(std::uint64_t now, int days);

// The system time in UTC as a FILETIME value.
std::uint64_t CurrentFileTime();

ScheduleValues ReadScheduleValues(const SettingsStore& settings);
CheckDue IsCheckDue(const ClientConfig& config);
ResultCode CheckDueResult(const ClientConfig& config);

// Writes NextUpdateCheck = now + days; a failed write only means the next start checks again.
void ScheduleNextCheck(const ClientConfig& config, int days);

}  // namespace updater
