#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// The SHA-256 digest of a file, computed by the CryptoAPI AES provider. 0 or the Windows error of
// the first call that failed; `digest` is then left as it was.
ResultCode ComputeSHA256(const std::wstring& path, std::vector<unsigned char>* digest);

}  // namespace updater
