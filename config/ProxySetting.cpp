#include "config/ProxySetting.h"

namespace updater {

ResultCode SetProxy(const SettingsStore& settings, const std::wstring& proxy) {
  if (proxy.empty()) return settings.DeleteValue(SettingsKey::Settings, L"Proxy");
  return settings.WriteString(SettingsKey::Settings, L"Proxy", proxy);
}

std::wstring GetProxy(const SettingsStore& user, const SettingsStore& machine) {
  std::wstring proxy;
  if (!user.ReadString(SettingsKey::Settings, L"Proxy", &proxy)) {
    machine.ReadString(SettingsKey::Settings, L"Proxy", &proxy);
  }
  return proxy;
}

}  // namespace updater
