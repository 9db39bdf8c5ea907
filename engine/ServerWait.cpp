#include "engine/ServerWait.h"

#include "base/Logger.h"
#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "config/NextUpdateCheck.h"
#include "transfer/HttpDate.h"
#include "transfer/RetryAfter.h"

namespace updater {
namespace {

constexpr wchar_t kRetryAfterValue[] = L"RetryAfter";

std::wstring HttpDateOf(const FILETIME& time) {
  SYSTEMTIME date = {};
  FileTimeToSystemTime(&time, &date);
  return FormatHttpDate(date);
}

}  // namespace

ResultCode HeedServerWait(const ClientConfig& config) {
  const SettingsStore& settings = config.Settings();
  FILETIME stored = {};
  const bool hasStored = settings.ReadTime(SettingsKey::Settings, kRetryAfterValue, &stored);
  switch (DecideServerWait(hasStored, FileTimeValue(stored), CurrentFileTime())) {
    case ServerWait::None: return kSuccess;
    case ServerWait::Stale:
      Log(kLogInfo, L"Ignored the server's RetryAfter time, further ahead than a server may ask");
      settings.DeleteValue(SettingsKey::Settings, kRetryAfterValue);
      return kSuccess;
    case ServerWait::Wait: break;
  }
  Log(kLogInfo, L"The update server asked to be contacted after " + HttpDateOf(stored) +
                    L"; no request until then");
  return kServerAskedToWait;
}

bool RememberServerWait(const ClientConfig& config, const std::wstring& retryAfter) {
  std::uint64_t until = 0;
  if (!ParseRetryAfter(retryAfter, CurrentFileTime(), &until)) return false;
  const FILETIME time = ToFileTime(until);
  Log(kLogInfo, L"The update server is busy; it asked to be contacted after " + HttpDateOf(time));
  if (const ResultCode written =
          config.Settings().WriteTime(SettingsKey::Settings, kRetryAfterValue, time)) {
    Log(kLogError, L"Cannot keep the server's RetryAfter time: " + ResultText(written));
  }
  return true;
}

void ForgetServerWait(const ClientConfig& config) {
  config.Settings().DeleteValue(SettingsKey::Settings, kRetryAfterValue);
}

}  // namespace updater
