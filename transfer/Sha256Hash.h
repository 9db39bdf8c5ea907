#pragma once

#include <windows.h>

#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"

namespace updater {

// A SHA-256 digest taken piece by piece, by the CryptoAPI AES provider: for bytes that arrive in
// order, such as a file being written, so that they need not be read again.
class Sha256Hash {
 public:
  // Starts a digest, dropping one under way. 0 or the Windows error.
  ResultCode Begin();
  // Adds the next bytes; 0 or the Windows error, also when Begin did not succeed.
  ResultCode Add(const void* bytes, DWORD size);
  // The digest of what was added; the hash must be begun again for another. 0 or the Windows error;
  // `digest` is then left as it was.
  ResultCode Finish(std::vector<unsigned char>* digest);

 private:
  CryptProvider provider_;
  CryptHash hash_;
};

}  // namespace updater
