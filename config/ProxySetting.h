#pragma once

#include <string>

#include "base/ResultCode.h"
#include "config/SettingsStore.h"

namespace updater {

// Writes `proxy` as the Proxy setting; an empty text deletes the value, so that the system's
// Internet settings apply again. Returns 0 or the Windows error.
ResultCode SetProxy(const SettingsStore& settings, const std::wstring& proxy);

// The current user's Proxy setting, or the machine's when the user has none; empty when neither.
std::wstring GetProxy(const SettingsStore& user, const SettingsStore& machine);

}  // namespace updater
