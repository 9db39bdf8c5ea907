#include "config/CheckSchedule.h"

#include "config/ClientConfig.h"
#include "config/ClientFlags.h"

namespace updater {

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

ScheduleValues ReadScheduleValues(const ClientConfig& config) {
  ScheduleValues values;
  const std::optional<DWORD> policy = config.AutoUpdatePolicy();
  values.hasPolicy = policy.has_value();
  values.policy = policy.value_or(0);
  // The administrator's CheckFrequency of 0 means no automatic checks, whatever else is set.
  if (config.Policy().checkFrequency == 0u) {
    values.hasPolicy = true;
    values.policy = kAutoUpdatePolicyDisable;
  }
  const SettingsStore& settings = config.Settings();
  values.hasNoAutoCheck =
      settings.ReadFlag(SettingsKey::Settings, L"NoAutoUpdateCheck", &values.noAutoCheck);
  FILETIME next = {};
  values.hasNextCheck = settings.ReadTime(SettingsKey::Settings, L"NextUpdateCheck", &next);
  values.nextCheck = FileTimeValue(next);
  return values;
}

CheckDue IsCheckDue(const ClientConfig& config) {
  return DecideCheckDue(ReadScheduleValues(config), CurrentFileTime());
}

ResultCode CheckDueResult(const ClientConfig& config) {
  return CheckDueResult(IsCheckDue(config));
}

}  // namespace updater
