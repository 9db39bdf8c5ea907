#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// The SHA-256 digest of an open file from its start, computed by the CryptoAPI AES provider. 0 or
// the Windows error of the first call that failed; `digest` is then left as it was.
ResultCode ComputeSHA256(HANDLE file, std::vector<unsigned char>* digest);
// The same for bytes in memory.
ResultCode ComputeSHA256(const std::string& bytes, std::vector<unsigned char>* digest);

}  // namespace updater
