#pragma once

#include <string>

#include "base/ResultCode.h"
#include "transfer/BlockMap.h"

namespace updater {

// Whether a map of a file takes the SHA-256 of the whole file as well as of each block: the blocks
// alone are what a delta download copies from.
enum class WholeDigest { Take, Skip };

// The block map of a file, read once: its size and SHA-256 (left empty with WholeDigest::Skip),
// and its content-defined blocks with theirs. ERROR_FILE_TOO_LARGE for a file beyond
// kMaxBlockMapFileBytes, or the Windows error of reading or hashing it; `map` is then left as it
// was. Others may read the file meanwhile, but not change it under the hashes.
ResultCode MapFile(const std::wstring& path, WholeDigest whole, BlockMap* map);

}  // namespace updater
