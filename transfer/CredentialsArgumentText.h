#pragma once

#include <string>

#include "base/ResultCode.h"
#include "transfer/CredentialProvider.h"

namespace updater {

// The credentials argument for a temporary copy of the updater: user name, ":", and the protected
// password as hexadecimal text; "user:" for an empty password. Takes the credentials the user
// entered, else the first listed ones. Empty when no user name is known; on a protection failure
// the Windows error is returned and `argument` is left empty.
ResultCode BuildCredentialsArgument(CredentialProvider& provider, std::wstring* argument);

}  // namespace updater
