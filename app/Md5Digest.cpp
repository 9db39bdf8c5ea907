#include "app/Md5Digest.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>
#include <cwctype>
#include <vector>

#include "app/UniqueHandle.h"
#include "transfer/HexText.h"

namespace updater {

ResultCode Md5HexDigest(const std::string& bytes, std::wstring* digest) {
  CryptProvider provider;
  if (!CryptAcquireContextW(provider.Put(), nullptr, nullptr, PROV_RSA_FULL,
                            CRYPT_VERIFYCONTEXT)) {
    return GetLastError();
  }
  CryptHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, hash.Put()) ||
      !CryptHashData(hash.Get(), reinterpret_cast<const BYTE*>(bytes.data()),
                     static_cast<DWORD>(bytes.size()), 0)) {
    return GetLastError();
  }
  std::vector<unsigned char> value(16);
  DWORD size = static_cast<DWORD>(value.size());
  if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, value.data(), &size, 0)) return GetLastError();
  value.resize(size);
  std::wstring hex = ToHexText(value);
  std::transform(hex.begin(), hex.end(), hex.begin(), towlower);
  *digest = std::move(hex);
  return kSuccess;
}

}  // namespace updater
