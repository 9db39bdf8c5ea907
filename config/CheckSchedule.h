#pragma once

#include <windows.h>

#include <cstdint>

#include "base/ResultCode.h"
#include "config/NextUpdateCheck.h"
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

// The values in force: the AutoUpdatePolicy of the administrator or the user, and the user's
// NoAutoUpdateCheck and NextUpdateCheck.
ScheduleValues ReadScheduleValues(const ClientConfig& config);
CheckDue IsCheckDue(const ClientConfig& config);
ResultCode CheckDueResult(const ClientConfig& config);

}  // namespace updater
