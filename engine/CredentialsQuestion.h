#pragma once

#include <string>

namespace updater {

// A server or proxy that wants a user name and password the session does not have.
struct CredentialsQuestion {
  std::wstring realm;
  std::wstring server;     // the URL that was requested
  std::wstring proxyHost;  // set when the proxy asks
};

// What the user entered; `remember` keeps the pair for later runs.
struct CredentialsAnswer {
  std::wstring user;
  std::wstring password;
  bool remember = false;
};

// The name a credentials question shows for the asking server: the proxy's host when a proxy
// asks, else the host of the requested URL (the URL itself when it names none, as a drive path).
std::wstring AskingServerName(const CredentialsQuestion& question);

}  // namespace updater
