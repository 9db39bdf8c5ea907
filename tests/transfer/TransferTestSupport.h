#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "transfer/AsyncDownloadThread.h"
#include "transfer/UpdaterCallback.h"

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

// Records what the downloader reports and answers its questions as the test sets up.
class RecordingCallback : public UpdaterCallback {
 public:
  void RegisterAction(std::int32_t, std::int32_t) override {}
  void BeginAction(std::int32_t actionId, std::uint32_t total, const wchar_t*) override;
  void EndAction(std::int32_t actionId, ResultCode state) override;
  void Progress(std::uint32_t amount) override;
  bool IsCanceled() override;
  bool IsPaused() override;
  ResultCode Error(const wchar_t* text, ResultCode code, void* handle) override;

  // Cancels once this many bytes were reported; 0 never.
  std::uint64_t cancelAfterBytes = 0;
  // Cancels once this long has passed since the first question whether to cancel; 0 never.
  DWORD cancelAfterMs = 0;
  // After the first Progress, answers "paused" this many times.
  int pauseChecks = 0;
  // The answer of Error; by default the code itself, as without a user interface.
  std::function<ResultCode(const wchar_t*, ResultCode, void*)> onError;

  std::uint64_t progressBytes = 0;
  int progressWhilePaused = 0;
  std::vector<std::int32_t> begun;
  std::vector<std::uint32_t> beginTotals;
  std::vector<std::pair<std::int32_t, ResultCode>> ended;
  std::vector<ResultCode> errors;

 private:
  bool paused_ = false;
  DWORD firstCancelQuestion_ = 0;
  bool asked_ = false;
};

// MD5 through the system's CryptoAPI provider: an oracle independent of the program's own MD5.
ResultCode CryptoApiMd5Hex(const std::string& bytes, std::wstring* digest);

}  // namespace updater::test
