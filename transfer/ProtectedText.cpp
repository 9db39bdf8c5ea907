#include "transfer/ProtectedText.h"

#include <windows.h>
#include <wincrypt.h>

#include <algorithm>

#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "transfer/Utf16Bytes.h"

namespace updater {
namespace {

// The key is the MD5 of these bytes. Changing them makes every remembered password unreadable.
constexpr BYTE kKeyConstant[28] = {0x52, 0x75, 0x64, 0x64, 0x6C, 0x65, 0x2D, 0x4D, 0x65, 0x72,
                                   0x72, 0x6F, 0x77, 0x2D, 0x9E, 0x31, 0xC4, 0x07, 0x5B, 0xA2,
                                   0x6D, 0xF0, 0x13, 0x88, 0x4A, 0xE9, 0x27, 0xB6};

ResultCode AcquireProvider(CryptProvider* provider) {
  if (CryptAcquireContextW(provider->Put(), L"Ruddle", nullptr, PROV_RSA_FULL, 0)) {
    return kSuccess;
  }
  if (GetLastError() != static_cast<DWORD>(NTE_BAD_KEYSET)) return LastErrorOr(ERROR_INVALID_DATA);
  if (CryptAcquireContextW(provider->Put(), L"Ruddle", nullptr, PROV_RSA_FULL, CRYPT_NEWKEYSET)) {
    return kSuccess;
  }
  return LastErrorOr(ERROR_INVALID_DATA);
}

// RC4 is symmetric, so one transform serves both directions. Each call derives a fresh key, since
// a finished RC4 key must not be reused for another text.
ResultCode ApplyRc4(std::vector<unsigned char>* bytes) {
  CryptProvider provider;
  const ResultCode acquired = AcquireProvider(&provider);
  if (acquired != kSuccess) return acquired;
  CryptHash hash;
  if (!CryptCreateHash(provider.Get(), CALG_MD5, 0, 0, hash.Put()) ||
      !CryptHashData(hash.Get(), kKeyConstant, sizeof(kKeyConstant), 0)) {
    return LastErrorOr(ERROR_INVALID_DATA);
  }
  CryptKey key;
  if (!CryptDeriveKey(provider.Get(), CALG_RC4, hash.Get(), 0, key.Put())) {
    return LastErrorOr(ERROR_INVALID_DATA);
  }
  std::vector<unsigned char> buffer(kMaxProtectedBytes);
  std::copy(bytes->begin(), bytes->end(), buffer.begin());
  DWORD length = static_cast<DWORD>(bytes->size());
  if (!CryptEncrypt(key.Get(), 0, TRUE, 0, buffer.data(), &length,
                    static_cast<DWORD>(buffer.size()))) {
    return LastErrorOr(ERROR_INVALID_DATA);
  }
  buffer.resize(length);
  *bytes = std::move(buffer);
  return kSuccess;
}

}  // namespace

ResultCode ProtectText(const std::wstring& plain, std::vector<unsigned char>* cipher) {
  const size_t size = plain.size() * sizeof(wchar_t);
  if (size == 0 || size > kMaxProtectedBytes) return ERROR_INVALID_DATA;
  std::vector<unsigned char> bytes;
  AppendUtf16Bytes(plain, &bytes);
  const ResultCode result = ApplyRc4(&bytes);
  if (result == kSuccess) *cipher = std::move(bytes);
  return result;
}

ResultCode UnprotectText(const std::vector<unsigned char>& cipher, std::wstring* plain) {
  if (cipher.empty() || cipher.size() > kMaxProtectedBytes || cipher.size() % 2 != 0) {
    return ERROR_INVALID_DATA;
  }
  std::vector<unsigned char> bytes = cipher;
  const ResultCode result = ApplyRc4(&bytes);
  if (result != kSuccess) return result;
  *plain = TextOfUtf16Bytes(bytes.data(), bytes.size());
  return kSuccess;
}

}  // namespace updater
