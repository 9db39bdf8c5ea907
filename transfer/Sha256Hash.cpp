#include "transfer/Sha256Hash.h"

#include <wincrypt.h>

#include <utility>

namespace updater {
namespace {

constexpr wchar_t kAesProvider[] = L"Microsoft Enhanced RSA and AES Cryptographic Provider";
constexpr DWORD kSha256Size = 32;

}  // namespace

ResultCode Sha256Hash::Begin() {
  hash_.Reset();
  if (!provider_ && !CryptAcquireContextW(provider_.Put(), nullptr, kAesProvider, PROV_RSA_AES,
                                          CRYPT_VERIFYCONTEXT)) {
    return GetLastError();
  }
  return CryptCreateHash(provider_.Get(), CALG_SHA_256, 0, 0, hash_.Put()) ? kSuccess
                                                                           : GetLastError();
}

ResultCode Sha256Hash::Add(const void* bytes, DWORD size) {
  if (!hash_) return ERROR_INVALID_HANDLE;
  return CryptHashData(hash_.Get(), static_cast<const BYTE*>(bytes), size, 0) ? kSuccess
                                                                              : GetLastError();
}

ResultCode Sha256Hash::Finish(std::vector<unsigned char>* digest) {
  if (!hash_) return ERROR_INVALID_HANDLE;
  std::vector<unsigned char> value(kSha256Size);
  DWORD size = static_cast<DWORD>(value.size());
  if (!CryptGetHashParam(hash_.Get(), HP_HASHVAL, value.data(), &size, 0)) {
    if (GetLastError() != ERROR_MORE_DATA) return GetLastError();
    value.resize(size);
    if (!CryptGetHashParam(hash_.Get(), HP_HASHVAL, value.data(), &size, 0)) return GetLastError();
  }
  value.resize(size);
  hash_.Reset();
  *digest = std::move(value);
  return kSuccess;
}

}  // namespace updater
