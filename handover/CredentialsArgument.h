#pragma once

#include <string>

#include "base/ResultCode.h"
#include "config/RunContext.h"

namespace updater {

// The credentials a check hands to its temporary copy as the fourth /install argument: the user
// name, a colon, and the protected password as hexadecimal text of its bytes ("user:" for an
// empty password), so that the password does not stand readable on the copy's command line.

// Empty `argument` when no user name is given; on a protection failure the Windows error, and
// `argument` is left empty.
ResultCode FormatCredentialsArgument(const UserCredentials& credentials, std::wstring* argument);

// Splits at the first colon, decodes the hexadecimal text and unprotects it. A missing colon, an
// odd number of digits, a character that is not a hexadecimal digit or bytes that do not
// unprotect give kInvalidCommandLine and leave `out` as it was.
ResultCode ParseCredentialsArgument(const std::wstring& text, UserCredentials* out);

}  // namespace updater
