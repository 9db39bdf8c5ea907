#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Text of the error box that ends an interactive check: "Checking for Updates - <result text>",
// followed for WinINet errors by the hint that a custom proxy may be at fault.
std::wstring CheckErrorBoxText(ResultCode result, const std::wstring& proxy);

// The error line logged at the end of a run that did not end quietly.
std::wstring RunFailureLogLine(ResultCode result);

// Only web links are opened: the link arrives through a URL protocol that any web page can
// invoke, and handing a local path or another scheme to the shell would start programs.
bool IsOpenableLink(const std::wstring& link);

}  // namespace updater
