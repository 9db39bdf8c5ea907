#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// Passwords kept in the registry or passed on a command line are RC4-encrypted with a key derived
// from a program constant, so that they are not readable at a glance. This hides them from casual
// eyes only: anyone with this program can reverse it.

// The largest plain text, in bytes, and so the largest cipher text.
constexpr size_t kMaxProtectedBytes = 51200;

// Encrypts the UTF-16LE bytes of `plain`. An empty text or one longer than kMaxProtectedBytes
// gives ERROR_INVALID_DATA; a CryptoAPI failure gives its Windows error. `cipher` changes only on
// success.
ResultCode ProtectText(const std::wstring& plain, std::vector<unsigned char>* cipher);

// Decrypts what ProtectText produced. Empty, oversized or odd-length input gives
// ERROR_INVALID_DATA; `plain` changes only on success.
ResultCode UnprotectText(const std::vector<unsigned char>& cipher, std::wstring* plain);

}  // namespace updater
