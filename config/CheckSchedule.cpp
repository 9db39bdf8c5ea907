#include "config/CheckSchedule.h"

#include "config/ClientConfig.h"

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

ScheduleValues ReadScheduleValues(const SettingsStore& settings) {
  ScheduleValues values;
  values.hasPolicy = settings.ReadDword(SettingsKey::Settings, L"AutoUpdatePolicy", &values.policy);
  values.hasNoAutoCheck =
      settings.ReadFlag(SettingsKey::Settings, L"NoAutoUpdateCheck", &values.noAutoCheck);
  FILETIME next = {};
  values.hasNextCheck = settings.ReadTime(SettingsKey::Settings, L"NextUpdateCheck", &next);
  values.nextCheck = FileTimeValue(next);
  return values;
}

CheckDue IsCheckDue(const ClientConfig& config) {
  return DecideCheckDue(ReadScheduleValues(config.Settings()), CurrentFileTime());
}

ResultCode CheckDueResult(const ClientConfig& config) {
  return CheckDueResult(IsCheckDue(config));
}

}  // namespace updater
