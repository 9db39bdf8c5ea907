#include "transfer/FeedKey.h"

#include <windows.h>
#include <bcrypt.h>
#include <wincrypt.h>

#include <vector>

#include "base/UniqueHandle.h"
#include "transfer/EcdsaSignature.h"
#include "transfer/P256Point.h"
#include "transfer/PemPrivateKey.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {

void CloseAlgorithm(BCRYPT_ALG_HANDLE algorithm) { BCryptCloseAlgorithmProvider(algorithm, 0); }
using Algorithm = ClosedBy<BCRYPT_ALG_HANDLE, &CloseAlgorithm>;
using Key = ClosedBy<BCRYPT_KEY_HANDLE, &BCryptDestroyKey>;

constexpr ULONG kCoordinateBytes = 32;
// A key blob is its header followed by X, Y and, for a private key, d.
constexpr std::size_t kPrivateBlobBytes = sizeof(BCRYPT_ECCKEY_BLOB) + 3 * kCoordinateBytes;

ResultCode Status(NTSTATUS status) { return static_cast<ResultCode>(status); }

UCHAR* Bytes(std::string& text) { return reinterpret_cast<UCHAR*>(&text[0]); }
UCHAR* Bytes(const std::string& text) {
  return reinterpret_cast<UCHAR*>(const_cast<char*>(text.data()));
}

// The SHA-256 digest of `bytes` as CNG takes it.
ResultCode Digest(const std::string& bytes, std::string* digest) {
  std::vector<unsigned char> value;
  if (const ResultCode hashed = ComputeSHA256(bytes, &value)) return hashed;
  digest->assign(value.begin(), value.end());
  return kSuccess;
}

ResultCode OpenEcdsa(Algorithm* algorithm) {
  return Status(BCryptOpenAlgorithmProvider(algorithm->Put(), BCRYPT_ECDSA_P256_ALGORITHM,
                                            nullptr, 0));
}

ResultCode ExportKey(const Key& key, const wchar_t* type, std::string* blob) {
  ULONG size = 0;
  if (NTSTATUS s = BCryptExportKey(key.Get(), nullptr, type, nullptr, 0, &size, 0)) return Status(s);
  blob->assign(size, '\0');
  if (NTSTATUS s = BCryptExportKey(key.Get(), nullptr, type, Bytes(*blob), size, &size, 0)) {
    return Status(s);
  }
  blob->resize(size);
  return kSuccess;
}

// Imports a blob of `type` whose header must carry `magic` and `bytes` in all.
ResultCode ImportKey(const Algorithm& algorithm, const wchar_t* type, ULONG magic,
                     const std::string& blob, std::size_t bytes, Key* key) {
  if (blob.size() != bytes) return kFeedSignatureInvalid;
  const auto* header = reinterpret_cast<const BCRYPT_ECCKEY_BLOB*>(blob.data());
  if (header->dwMagic != magic || header->cbKey != kCoordinateBytes) return kFeedSignatureInvalid;
  if (BCryptImportKeyPair(algorithm.Get(), nullptr, type, key->Put(), Bytes(blob),
                          static_cast<ULONG>(blob.size()), 0)) {
    return kFeedSignatureInvalid;
  }
  return kSuccess;
}

// The public key as base64 of the point X, Y, checked to lie on the curve.
ResultCode ImportPublicKey(const Algorithm& algorithm, const std::wstring& publicKey, Key* key) {
  std::string point;
  if (!Base64Decode(publicKey, &point) || !IsP256Point(point)) return kFeedSignatureInvalid;
  BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PUBLIC_P256_MAGIC, kCoordinateBytes};
  const std::string blob =
      std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + point;
  return ImportKey(algorithm, BCRYPT_ECCPUBLIC_BLOB, BCRYPT_ECDSA_PUBLIC_P256_MAGIC, blob,
                   blob.size(), key);
}

// CNG's private key blob of either form a key file may hold: keygen's base64 line or PEM.
bool PrivateBlob(const std::wstring& privateKey, std::string* blob) {
  const std::string text(privateKey.begin(), privateKey.end());
  if (!LooksLikePem(text)) return Base64Decode(privateKey, blob);
  EcPrivateKey key;
  if (!ParsePemPrivateKey(text, &key)) return false;
  const BCRYPT_ECCKEY_BLOB header = {BCRYPT_ECDSA_PRIVATE_P256_MAGIC, kCoordinateBytes};
  *blob = std::string(reinterpret_cast<const char*>(&header), sizeof(header)) + key.x + key.y +
          key.d;
  return true;
}

ResultCode ImportPrivateKey(const Algorithm& algorithm, const std::wstring& privateKey, Key* key) {
  std::string blob;
  if (!PrivateBlob(privateKey, &blob)) return kFeedSignatureInvalid;
  return ImportKey(algorithm, BCRYPT_ECCPRIVATE_BLOB, BCRYPT_ECDSA_PRIVATE_P256_MAGIC, blob,
                   kPrivateBlobBytes, key);
}

ResultCode SignDigest(const Key& key, const std::string& digest, std::wstring* signature) {
  std::string result(kRawSignatureBytes, '\0');
  ULONG size = 0;
  if (NTSTATUS s = BCryptSignHash(key.Get(), nullptr, Bytes(digest), 32, Bytes(result),
                                  kRawSignatureBytes, &size, 0)) {
    return Status(s);
  }
  *signature = Base64Encode(result.substr(0, size));
  return kSuccess;
}

}  // namespace

ResultCode GenerateFeedKey(std::wstring* privateKey, std::wstring* publicKey) {
  Algorithm algorithm;
  if (const ResultCode opened = OpenEcdsa(&algorithm)) return opened;
  Key key;
  if (NTSTATUS s = BCryptGenerateKeyPair(algorithm.Get(), key.Put(), 256, 0)) return Status(s);
  if (NTSTATUS s = BCryptFinalizeKeyPair(key.Get(), 0)) return Status(s);
  std::string privateBlob, publicBlob;
  if (const ResultCode exported = ExportKey(key, BCRYPT_ECCPRIVATE_BLOB, &privateBlob)) {
    return exported;
  }
  if (const ResultCode exported = ExportKey(key, BCRYPT_ECCPUBLIC_BLOB, &publicBlob)) {
    return exported;
  }
  *privateKey = Base64Encode(privateBlob);
  *publicKey = Base64Encode(publicBlob.substr(sizeof(BCRYPT_ECCKEY_BLOB)));
  return kSuccess;
}

ResultCode SignFeedBytes(const std::wstring& privateKey, const std::string& bytes,
                         std::wstring* signature) {
  Algorithm algorithm;
  if (const ResultCode opened = OpenEcdsa(&algorithm)) return opened;
  Key key;
  if (const ResultCode imported = ImportPrivateKey(algorithm, privateKey, &key)) return imported;
  std::string digest;
  if (const ResultCode hashed = Digest(bytes, &digest)) return hashed;
  return SignDigest(key, digest, signature);
}

ResultCode FeedPublicKeyOf(const std::wstring& privateKey, std::wstring* publicKey) {
  Algorithm algorithm;
  if (const ResultCode opened = OpenEcdsa(&algorithm)) return opened;
  Key key;
  if (const ResultCode imported = ImportPrivateKey(algorithm, privateKey, &key)) return imported;
  std::string publicBlob;
  if (const ResultCode exported = ExportKey(key, BCRYPT_ECCPUBLIC_BLOB, &publicBlob)) {
    return exported;
  }
  const std::wstring candidate = Base64Encode(publicBlob.substr(sizeof(BCRYPT_ECCKEY_BLOB)));
  // A file's public point need not belong to its private value: only a signature shows it does.
  const std::string probe = "FeedPublicKey";
  std::string digest;
  std::wstring signature;
  if (const ResultCode hashed = Digest(probe, &digest)) return hashed;
  if (const ResultCode signedProbe = SignDigest(key, digest, &signature)) return signedProbe;
  if (const ResultCode verified = VerifyFeedBytes(candidate, probe, signature)) return verified;
  *publicKey = candidate;
  return kSuccess;
}

ResultCode CheckFeedPublicKey(const std::wstring& publicKey) {
  Algorithm algorithm;
  if (const ResultCode opened = OpenEcdsa(&algorithm)) return opened;
  Key key;
  return ImportPublicKey(algorithm, publicKey, &key);
}

ResultCode VerifyFeedBytes(const std::wstring& publicKey, const std::string& bytes,
                           const std::wstring& signature) {
  std::string decoded, signatureBytes, digest;
  if (!Base64Decode(signature, &decoded)) return kFeedSignatureInvalid;
  // The raw r and s, or the DER form that standard tools print.
  if (decoded.size() == kRawSignatureBytes) {
    signatureBytes = std::move(decoded);
  } else if (!RawEcdsaSignature(decoded, &signatureBytes)) {
    return kFeedSignatureInvalid;
  }
  Algorithm algorithm;
  if (const ResultCode opened = OpenEcdsa(&algorithm)) return opened;
  Key key;
  if (const ResultCode imported = ImportPublicKey(algorithm, publicKey, &key)) return imported;
  if (const ResultCode hashed = Digest(bytes, &digest)) return hashed;
  if (BCryptVerifySignature(key.Get(), nullptr, Bytes(digest), 32, Bytes(signatureBytes),
                            kRawSignatureBytes, 0)) {
    return kFeedSignatureInvalid;
  }
  return kSuccess;
}

ResultCode VerifyFeedBytes(const std::vector<std::wstring>& publicKeys, const std::string& bytes,
                           const std::wstring& signature) {
  ResultCode result = kFeedSignatureInvalid;
  for (const std::wstring& publicKey : publicKeys) {
    result = VerifyFeedBytes(publicKey, bytes, signature);
    if (result == kSuccess) break;
  }
  return result;
}

std::wstring Base64Encode(const std::string& bytes) {
  const DWORD flags = CRYPT_STRING_BASE64 | CRYPT_STRING_NOCRLF;
  DWORD length = 0;
  const auto* data = reinterpret_cast<const BYTE*>(bytes.data());
  if (bytes.empty() ||
      !CryptBinaryToStringW(data, static_cast<DWORD>(bytes.size()), flags, nullptr, &length)) {
    return std::wstring();
  }
  std::wstring text(length, L'\0');
  if (!CryptBinaryToStringW(data, static_cast<DWORD>(bytes.size()), flags, &text[0], &length)) {
    return std::wstring();
  }
  text.resize(length);
  return text;
}

bool Base64Decode(const std::wstring& text, std::string* bytes) {
  // Keys and signatures are short; anything long is not one of them.
  constexpr std::size_t kMaxText = 1024;
  if (text.empty() || text.size() > kMaxText) return false;
  for (const wchar_t c : text) {
    const bool letter = (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
    if (!letter && !(c >= L'0' && c <= L'9') && c != L'+' && c != L'/' && c != L'=') return false;
  }
  DWORD size = 0;
  const DWORD length = static_cast<DWORD>(text.size());
  if (!CryptStringToBinaryW(text.c_str(), length, CRYPT_STRING_BASE64, nullptr, &size, nullptr,
                            nullptr)) {
    return false;
  }
  std::string result(size, '\0');
  if (!CryptStringToBinaryW(text.c_str(), length, CRYPT_STRING_BASE64, Bytes(result), &size,
                            nullptr, nullptr)) {
    return false;
  }
  result.resize(size);
  *bytes = std::move(result);
  return true;
}

}  // namespace updater
