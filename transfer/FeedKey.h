#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// The publisher's ECDSA P-256 key of signed update configuration files, through CNG. Keys and
// signatures travel as base64 text: the public key as the 64 bytes X and Y, the private key as
// CNG's private key blob (what keygen writes) or a PEM file of standard tools, a signature as the
// 64 bytes r and s or DER (what standard tools print).

// A new key pair: 0 or the CNG status.
ResultCode GenerateFeedKey(std::wstring* privateKey, std::wstring* publicKey);

// Signs the SHA-256 digest of `bytes`: 0, kFeedSignatureInvalid for a key that is no P-256
// private key, or the CNG status.
ResultCode SignFeedBytes(const std::wstring& privateKey, const std::string& bytes,
                         std::wstring* signature);

// The FeedPublicKey= value of a private key of either form: 0, kFeedSignatureInvalid for a key
// that is none or whose public point does not belong to it, or the CNG status.
ResultCode FeedPublicKeyOf(const std::wstring& privateKey, std::wstring* publicKey);

// 0 when `publicKey` is base64 of a P-256 point (a FeedPublicKey= value), else
// kFeedSignatureInvalid or the CNG status.
ResultCode CheckFeedPublicKey(const std::wstring& publicKey);

// 0 when `signature` is the key's signature of the SHA-256 digest of `bytes`; otherwise, also
// for a key or signature that is not valid base64 of the right size, kFeedSignatureInvalid.
ResultCode VerifyFeedBytes(const std::wstring& publicKey, const std::string& bytes,
                           const std::wstring& signature);

// 0 when `signature` verifies with one of `publicKeys` (a keyring while the publisher moves to a
// new key), else as VerifyFeedBytes for the last key tried.
ResultCode VerifyFeedBytes(const std::vector<std::wstring>& publicKeys, const std::string& bytes,
                           const std::wstring& signature);

std::wstring Base64Encode(const std::string& bytes);
// False for text that is not base64.
bool Base64Decode(const std::wstring& text, std::string* bytes);

}  // namespace updater
