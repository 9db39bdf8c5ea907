#pragma once

#include <string>
#include <vector>

namespace updater {

// The servers that credentials known before a challenge (remembered ones, or those handed to a
// temporary copy) may be offered to: the hosts of the client configuration's URLs and its proxy.
// A host that only the update configuration file names never gets them, so a forged file cannot
// point a download at a server of its own, answer 401 and collect the password.
class CredentialScope {
 public:
  // Covers no server.
  CredentialScope() = default;
  // `proxy` in the form of the Proxy setting; empty for none.
  CredentialScope(const std::vector<std::wstring>& urls, const std::wstring& proxy);

  // Whether a challenge from the server of `url` (or, when `proxyHost` is not empty, from that
  // proxy) may be answered with known credentials. Host names compare without case; ports and
  // schemes do not matter.
  bool Covers(const std::wstring& url, const std::wstring& proxyHost) const;

 private:
  std::vector<std::wstring> hosts_;
  std::wstring proxyHost_;
};

}  // namespace updater
