#include "transfer/Sha256File.h"

#include <windows.h>
#include <wincrypt.h>

#include <utility>

#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr wchar_t kAesProvider[] = L"Microsoft Enhanced RSA and AES Cryptographic Provider";
// Under Wine 1 KiB blocks hash at about 210 MB/s and 64 KiB blocks at about 240 MB/s: less than a
// tenth of a second on a 100 MB installer, not worth a larger buffer on the stack.
constexpr DWORD kBlockSize = 1024;
constexpr DWORD kSha256Size = 32;

// Feeds `feed` a hash of a fresh provider, then takes the digest.
template <typename Feed>
ResultCode HashSHA256(const Feed& feed, std::vector<unsigned char>* digest) {
  CryptProvider provider;
  if (!CryptAcquireContextW(provider.Put(), nullptr, kAesProvider, PROV_RSA_AES,
                            CRYPT_VERIFYCONTEXT)) {
    return GetLastError();
  }
  CryptHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_SHA_256, 0, 0, hash.Put())) return GetLastError();
  if (const ResultCode fed = feed(hash.Get())) return fed;
  std::vector<unsigned char> value(kSha256Size);
  DWORD size = static_cast<DWORD>(value.size());
  if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, value.data(), &size, 0)) {
    if (GetLastError() != ERROR_MORE_DATA) return GetLastError();
    value.resize(size);
    if (!CryptGetHashParam(hash.Get(), HP_HASHVAL, value.data(), &size, 0)) return GetLastError();
  }
  value.resize(size);
  *digest = std::move(value);
  return kSuccess;
}

}  // namespace

ResultCode ComputeSHA256(HANDLE file, std::vector<unsigned char>* digest) {
  if (!SetFilePointerEx(file, {}, nullptr, FILE_BEGIN)) return GetLastError();
  return HashSHA256(
      [file](HCRYPTHASH hash) -> ResultCode {
        BYTE block[kBlockSize];
        for (;;) {
          DWORD read = 0;
          if (!ReadFile(file, block, kBlockSize, &read, nullptr)) return GetLastError();
          if (read == 0) return kSuccess;
          if (!CryptHashData(hash, block, read, 0)) return GetLastError();
        }
      },
      digest);
}

ResultCode ComputeSHA256(const std::string& bytes, std::vector<unsigned char>* digest) {
  return HashSHA256(
      [&bytes](HCRYPTHASH hash) -> ResultCode {
        return CryptHashData(hash, reinterpret_cast<const BYTE*>(bytes.data()),
                             static_cast<DWORD>(bytes.size()), 0)
                   ? kSuccess
                   : GetLastError();
      },
      digest);
}

}  // namespace updater
