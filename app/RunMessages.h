#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Text of the error box that ends an interactive check: "Checking for Updates - <result text>",
// followed for WinINet errors by the hint that a custom proxy may be at fault.
std::wstring CheckErrorBoxText(ResultCode result, const std::wstring& proxy);

// The error line logged at the end of a run that did not end quietly.
std::wstring RunFailureLogLine(ResultCode result);

}  // namespace updater
