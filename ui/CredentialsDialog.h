#pragma once

#include <windows.h>

#include "engine/CredentialsQuestion.h"

namespace updater {

// The credentials dialog (template 190): "Connect to <server>", the realm and server, user name,
// password and "Remember my credentials". Modal over `parent`; false when the user cancels or the
// dialog cannot be shown, and `answer` is then left alone.
bool ShowCredentialsDialog(HWND parent, const CredentialsQuestion& question,
                           CredentialsAnswer* answer);

}  // namespace updater
