#pragma once

#include <string>

#include "base/ResultCode.h"
#include "transfer/BlockMap.h"

namespace updater {

// The block map of an installer file: its size and SHA-256, and its content-defined blocks with
// theirs. ERROR_FILE_TOO_LARGE for a file beyond kMaxBlockMapFileBytes, or the Windows error of
// reading or hashing it.
ResultCode MapInstaller(const std::wstring& path, BlockMap* map);

}  // namespace updater
