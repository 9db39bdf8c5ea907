#pragma once

#include <string>

#include "app/ResultCode.h"

namespace updater {

// The MD5 digest (RFC 1321) of `bytes` as 32 lower-case hexadecimal digits, computed by CryptoAPI.
// Returns 0 or the Windows error of the provider.
ResultCode Md5HexDigest(const std::string& bytes, std::wstring* digest);

}  // namespace updater
