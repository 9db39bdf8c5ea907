#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Writes the new file `path` (never over an existing one) that only the current user and
// LocalSystem may open, whatever its folder hands down, and checks that all of `bytes` reached
// the disk. A file that was not written whole is deleted again.
ResultCode WritePrivateKeyFile(const std::wstring& path, const std::string& bytes);

// The SID of the first user or group other than the owner of `path`, LocalSystem and the
// Administrators that may read that file; empty when there is none.
ResultCode FindOtherKeyReader(const std::wstring& path, std::wstring* reader);

}  // namespace updater
