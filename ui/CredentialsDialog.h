#pragma once

#include <windows.h>

#include <string>

#include "transfer/CredentialProvider.h"

namespace updater {

// The name a credentials question shows for the asking server: the proxy's host when a proxy
// asks, else the host of the requested URL (the URL itself when it names none, as a drive path).
std::wstring AskingServerName(const std::wstring& serverUrl, const std::wstring& proxyHost);

// The credentials dialog (template 190), a CredentialProvider::Dialog: "Connect to <server>", the
// realm and server, user name, password and "Remember my credentials". Modal over `parent`; false
// when the user cancels or the dialog cannot be shown, and `entered` is then left alone.
bool ShowCredentialsDialog(HWND parent, const std::wstring& realm, const std::wstring& serverUrl,
                           const std::wstring& proxyHost, EnteredCredentials* entered);

}  // namespace updater
