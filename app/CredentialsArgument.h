#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// The fourth /install argument: a user name, a colon, and the encrypted password as hexadecimal
// text of its bytes.
struct CredentialsArgument {
  std::wstring userName;
  std::vector<unsigned char> encryptedPassword;
};

// Splits at the first colon and decodes the hexadecimal text. A missing colon, an odd number of
// digits or a character that is not a hexadecimal digit gives kInvalidCommandLine.
ResultCode ParseCredentialsArgument(const std::wstring& text, CredentialsArgument* out);

}  // namespace updater
