#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Text of the error box that ends an interactive check: "Checking for Updates - <result text>",
// followed for WinINet errors by the hint that a custom proxy may be at fault, and by `detail`
// (what to put right) after an empty line.
std::wstring CheckErrorBoxText(ResultCode result, const std::wstring& proxy,
                               const std::wstring& detail);

// The application's name, or the updater's own title for a configuration without one.
std::wstring CheckErrorBoxTitle(const std::wstring& applicationName);

// The error line logged at the end of a run that did not end quietly: "<result text>: <detail>
// LastError: <code>", without the detail when there is none.
std::wstring RunFailureLogLine(ResultCode result, const std::wstring& detail);

}  // namespace updater
