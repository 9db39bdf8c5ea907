#include "transfer/CredentialScope.h"

#include <algorithm>
#include <cwchar>

#include "transfer/HttpOutcome.h"
#include "transfer/SourceUrl.h"

namespace updater {
namespace {

// The host the request really goes to, as WinINet splits the URL; empty when it names none.
std::wstring HostOf(const std::wstring& url) {
  SourceUrl parts;
  return ParseSourceUrl(url, &parts) == kSuccess ? parts.host : std::wstring();
}

bool SameHost(const std::wstring& a, const std::wstring& b) {
  return !a.empty() && _wcsicmp(a.c_str(), b.c_str()) == 0;
}

}  // namespace

CredentialScope::CredentialScope(const std::vector<std::wstring>& urls, const std::wstring& proxy)
    : proxyHost_(proxy.empty() ? std::wstring() : ProxyHostOf(proxy)) {
  for (const std::wstring& url : urls) {
    std::wstring host = HostOf(url);
    if (!host.empty()) hosts_.push_back(std::move(host));
  }
}

bool CredentialScope::Covers(const std::wstring& url, const std::wstring& proxyHost) const {
  if (!proxyHost.empty()) return SameHost(proxyHost_, proxyHost);
  const std::wstring host = HostOf(url);
  return std::any_of(hosts_.begin(), hosts_.end(),
                     [&host](const std::wstring& known) { return SameHost(known, host); });
}

}  // namespace updater
