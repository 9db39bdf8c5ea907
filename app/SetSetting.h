#pragma once

#include <string>

#include "base/ResultCode.h"
#include "config/ClientConfig.h"

namespace updater {

// /set NAME VALUE [VALUE2]: stores one per-user setting of the loaded configuration. Names are
// lower case and compared case-sensitively; an unknown name gives kInvalidCommandLine.
ResultCode SetSetting(ClientConfig& config, const std::wstring& name, const std::wstring& value,
                      const std::wstring& value2);

}  // namespace updater
