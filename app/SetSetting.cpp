#include "app/SetSetting.h"

#include <cstdint>
#include <cwchar>

#include "base/Logger.h"
#include "config/ClientFlags.h"
#include "config/ProxySetting.h"
#include "transfer/RememberedCredentials.h"

namespace updater {

ResultCode SetSetting(ClientConfig& config, const std::wstring& name, const std::wstring& value,
                      const std::wstring& value2) {
  const SettingsStore& settings = config.Settings();
  // Registry writes are silent: a setting that cannot be stored does not change the result.
  if (name == L"retryattempts") {
    // wcstol semantics: leading blanks and a sign are accepted, reading stops at the first
    // character that is not a digit, text without digits gives 0, and out-of-range numbers are
    // clamped to the 32-bit range; "-1" stores 0xFFFFFFFF, which reads back as "not set".
    const long attempts = std::wcstol(value.c_str(), nullptr, 10);
    settings.WriteDword(SettingsKey::Settings, L"RetryAttempts", static_cast<DWORD>(attempts));
    return kSuccess;
  }
  if (name == L"loglevel") {
    // A misspelt level must not store 0, which would turn the log off.
    std::uint32_t level = 0;
    if (!ParseTokenListOrNumber(value, kLogLevelNames, &level)) return kInvalidCommandLine;
    settings.WriteDword(SettingsKey::Settings, L"LogLevel", level);
    return kSuccess;
  }
  if (name == L"autoupdatepolicy") {
    std::uint32_t policy = 0;
    if (!ParseTokenList(value, kAutoUpdatePolicyNames, &policy)) return kInvalidCommandLine;
    if (config.Policy().autoUpdatePolicy) {
      Log(kLogInfo, L"AutoUpdatePolicy is set by the administrator's policy; not changed");
      return kSetByAdministrator;
    }
    if (policy == kAutoUpdatePolicyDisable && config.HasFlag(kFlagNoDisableAutoCheck)) {
      return kAutoCheckRequired;
    }
    settings.WriteDword(SettingsKey::Settings, L"AutoUpdatePolicy", policy);
    return kSuccess;
  }
  if (name == L"proxy") {
    SetProxy(settings, value);
    return kSuccess;
  }
  if (name == L"downloadsfolder") {
    config.SaveDownloadsFolder(value);
    return kSuccess;
  }
  if (name == L"rememberpassword") {
    return RememberCredentials(settings, value, value2) ? kSuccess : kStoringCredentialsFailed;
  }
  return kInvalidCommandLine;
}

}  // namespace updater
