#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// One remembered credential as the "UserDetailsU" value holds it: the password is still the
// hexadecimal text of its protected bytes (see ProtectedText.h).
struct ProtectedCredential {
  std::wstring user;
  std::wstring protectedPassword;
};

// The byte layout of "UserDetailsU", integers 32-bit little-endian: count, then per entry the byte
// length of the user name, the user name in UTF-16LE, the byte length of the protected password
// text and that text in UTF-16LE.
std::vector<unsigned char> EncodeUserDetails(const std::vector<ProtectedCredential>& list);

// Reads the layout back. A buffer too short for its count, a length running past the end or an odd
// text length gives ERROR_INVALID_DATA and leaves `list` as it was. Bytes after the last entry are
// ignored.
ResultCode DecodeUserDetails(const std::vector<unsigned char>& bytes,
                             std::vector<ProtectedCredential>* list);

// The registry text of the value: the encoded bytes as uppercase hexadecimal.
std::wstring FormatUserDetailsValue(const std::vector<ProtectedCredential>& list);
ResultCode ParseUserDetailsValue(const std::wstring& text, std::vector<ProtectedCredential>* list);

}  // namespace updater
