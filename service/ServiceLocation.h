#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Whether `executablePath` may run as LocalSystem: kUnsafeServiceLocation, logged with the path
// and the SID, when the executable, its folder or the client configuration beside it lets anyone
// but LocalSystem, the Administrators, TrustedInstaller and the user running this change it, since
// that one could then run anything as LocalSystem. A client configuration that does not exist is
// covered by its folder. A security that cannot be read refuses with its Windows error.
ResultCode CheckServiceLocation(const std::wstring& executablePath);

}  // namespace updater
