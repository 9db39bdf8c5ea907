#pragma once

#include <windows.h>

#include <string>

#include "base/ObjectAccess.h"
#include "base/ResultCode.h"

namespace updater {

// The owner and DACL of `descriptor` as plain data, masks as stored. An entry of a kind this
// cannot read counts as letting Everyone do everything, and a conditional deny entry as none, so
// that a decision over the result errs towards distrust.
ObjectAccess ObjectAccessOf(PSECURITY_DESCRIPTOR descriptor);

// The owner and DACL of the file or folder `path`. Windows errors pass through (a missing file
// gives ERROR_FILE_NOT_FOUND).
ResultCode ReadFileAccess(const std::wstring& path, ObjectAccess* access);

// The SID of the user this process runs as.
ResultCode CurrentUserSid(std::wstring* sid);

}  // namespace updater
