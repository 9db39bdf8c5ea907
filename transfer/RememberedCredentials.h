#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "config/SettingsStore.h"
#include "transfer/Credential.h"
#include "transfer/CredentialProvider.h"

namespace updater {

// Appends the credentials remembered in "UserDetailsU" to `list`, passwords unprotected. A missing
// value adds nothing and succeeds; a malformed one adds nothing and gives ERROR_INVALID_DATA; an
// entry that cannot be unprotected is left out and its Windows error returned.
ResultCode LoadRememberedCredentials(const SettingsStore& settings, std::vector<Credential>* list);

// Adds the pair to "UserDetailsU". False, with nothing written, when the user name is already
// remembered (whatever its password), when the user name or password is empty or cannot be
// protected, or when the stored value cannot be read: rewriting it would lose what it holds.
bool RememberCredentials(const SettingsStore& settings, const std::wstring& user,
                         const std::wstring& password);

// Readies a provider for a run: the remembered credentials join its list, and credentials the user
// asks to remember are stored in `settings`.
void AttachRememberedCredentials(const SettingsStore& settings, CredentialProvider* provider);

}  // namespace updater
