#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "transfer/AsyncDownloadThread.h"

namespace updater::test {

// The local test servers (scripts/test-servers.sh). Every accessor fails the current test when
// UPDATER_SERVERS_DIR is missing, so that a run without servers never passes silently.
class TestServers {
 public:
  // False, with a test failure, when the servers' folder is not known.
  static bool Available();
  // The document root, as a Windows path.
  static std::wstring WwwFolder();
  // Writes `bytes` under the document root (folders created) and returns the relative URL path.
  static std::wstring Serve(const std::wstring& relativePath, const std::string& bytes);
  static std::wstring Http(const std::wstring& path) {
    return L"http://" + ServerAddress(L"http") + L"/" + path;
  }
  static std::wstring Https(const std::wstring& path) {
    return L"https://" + ServerAddress(L"https") + L"/" + path;
  }
  static std::wstring Ftp(const std::wstring& path) {
    return L"ftp://" + ServerAddress(L"ftp") + L"/" + path;
  }
  static std::wstring Fault(const std::wstring& path) {
    return L"http://" + ServerAddress(L"fault") + L"/" + path;
  }
  // The proxy that asks for proxyuser / proxypass, and the one that asks nothing.
  static std::wstring AuthenticatingProxy() { return ServerAddress(L"proxy"); }
  static std::wstring OpenProxy() { return ServerAddress(L"openproxy"); }
  // The access log of the fault server, of nginx, of the proxies, in full.
  static std::string FaultLog();
  static std::string NginxLog();
  static std::string ProxyLog();
};

// One text in, one text expected out: the shape of most parser tables.
struct TextCase {
  const wchar_t* input;
  const wchar_t* expected;
};
void ExpectEachText(std::initializer_list<TextCase> cases,
                    const std::function<std::wstring(const std::wstring&)>& function);

// Distinct, reproducible bytes, so that a wrong offset or a lost block shows.
std::string PatternBytes(std::size_t size, unsigned seed);

void WriteBytes(const std::wstring& path, const std::string& bytes);

// Short limits, so that stalled servers cost the tests a second, not a minute.
TransferTimeouts ShortTimeouts();

// MD5 through the system's CryptoAPI provider: an oracle independent of the program's own MD5.
ResultCode CryptoApiMd5Hex(const std::string& bytes, std::wstring* digest);

}  // namespace updater::test
