#include "transfer/Downloader.h"

#include <winioctl.h>

#include <gtest/gtest.h>

#include "TransferTestSupport.h"
#include "transfer/CredentialProvider.h"

namespace updater {
namespace {

using test::Narrow;
using test::PatternBytes;
using test::RecordingEvents;
using test::TestServers;

class DownloaderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(test::ServersFolder().empty()) << "UPDATER_SERVERS_DIR: start the test servers";
  }

  // The path on the web server that reaches `path` after `count` redirects.
  static std::wstring RedirectsTo(int count, const std::wstring& path) {
    std::wstring redirects;
    for (int i = 0; i < count; ++i) redirects += L"relative/";
    return redirects + path;
  }

  std::wstring ServeUnique(const std::string& bytes) {
    return TestServers::Serve(L"updates/" + test::UniqueName(L"dl") + L".bin", bytes);
  }

  std::unique_ptr<Downloader> MakeDownloader(CredentialProvider* credentials = nullptr) {
    callback_ = RecordingEvents();
    DeleteFileW(destination_.c_str());
    auto downloader = std::make_unique<Downloader>(&callback_, credentials);
    downloader->SetTimeouts({2000, 700});  // so that stalled servers cost a second, not a minute
    downloader->SetRetryAttempts(1);
    return downloader;
  }

  std::string Downloaded() const { return test::ReadFileBytes(destination_); }
  std::string Partial() const { return test::ReadFileBytes(destination_ + L".part"); }
  bool PartialExists() const { return test::FileExists(destination_ + L".part"); }
  void WritePartial(const std::string& bytes) {
    CreateDirectoryW(folder_.File(L"sub").c_str(), nullptr);
    test::WriteBytes(destination_ + L".part", bytes);
  }

  test::TempFolder folder_;
  std::wstring destination_ = folder_.File(L"sub\\target.bin");
  RecordingEvents callback_;
};

TEST_F(DownloaderTest, FetchesWholeFilesFromEverySourceKindOrTheNextUrl) {
  const std::string bytes = PatternBytes(300000, 1);
  const std::wstring path = ServeUnique(bytes);
  const std::wstring local = folder_.File(L"source.bin");
  test::WriteBytes(local, bytes);
  using Urls = std::vector<std::wstring>;
  for (const Urls& urls : {Urls{TestServers::Http(path)}, Urls{TestServers::Ftp(path)},
                           Urls{TestServers::Fault(path)}, Urls{L"file:///" + local},
                           Urls{TestServers::Http(L"updates/none.bin"), TestServers::Ftp(path)},
                           Urls{L"file:///" + folder_.File(L"absent.bin"), TestServers::Http(path)}}) {
    SCOPED_TRACE(Narrow(urls.back()));
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(urls, destination_));
    EXPECT_TRUE(Downloaded() == bytes);
    EXPECT_FALSE(PartialExists());
    EXPECT_EQ(bytes.size(), callback_.progressBytes);
  }
}

TEST_F(DownloaderTest, FileSourceTellsItsTimeAndAnswersAConditionalRequest) {
  const SYSTEMTIME june = {2021, 6, 0, 15, 12, 0, 0, 0};
  FILETIME time;
  ASSERT_TRUE(SystemTimeToFileTime(&june, &time));
  const std::wstring local = folder_.File(L"local.txt");
  test::WriteBytes(local, "x");
  HANDLE file = CreateFileW(local.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, 0);
  ASSERT_TRUE(SetFileTime(FileHandle(file).Get(), nullptr, nullptr, &time));
  auto fresh = MakeDownloader();
  fresh->SetQueryLastModified(true);
  EXPECT_EQ(kSuccess, fresh->Download(L"file:///" + local, destination_));
  EXPECT_EQ(15, fresh->GetLastModified().wDay);
  auto conditional = MakeDownloader();
  conditional->SetIfModifiedSince(june);
  EXPECT_EQ(kNotModified, conditional->Download(L"file:///" + local, destination_));
}

TEST_F(DownloaderTest, ResumesFromThePartialFile) {
  const std::string bytes = PatternBytes(50000, 2);
  const std::wstring path = ServeUnique(bytes);
  // Other bytes than the server's, so that a restart from 0 would show.
  const std::string prefix(1000, 'X');
  const std::string resumed = prefix + bytes.substr(prefix.size());
  const std::string larger = PatternBytes(50500, 3);
  const std::wstring local = folder_.File(L"source.bin");
  test::WriteBytes(local, bytes);
  const std::tuple<std::wstring, std::string, ResultCode, std::string> cases[] = {
      {TestServers::Http(path), prefix, kSuccess, resumed},
      {TestServers::Ftp(path), prefix, kSuccess, resumed},
      // A chunked 206 has no length: its Content-Range places it.
      {TestServers::Fault(L"chunked/" + path), prefix, kSuccess, resumed},
      // A 206 that does not say where it starts, or starts elsewhere, cannot continue the partial
      // file, and neither can a server that ignores ranges: the whole file comes again.
      {TestServers::Fault(L"chunked/nocontentrange/" + path), prefix, kSuccess, bytes},
      {TestServers::Fault(L"rewind/500/" + path), prefix, kSuccess, bytes},
      {TestServers::Fault(L"norange/" + path), prefix, kSuccess, bytes},
      {L"file:///" + local, prefix, kSuccess, bytes},
      // A partial file as large as the server's is finished without reading.
      {TestServers::Http(path), bytes, kSuccess, bytes},
      {TestServers::Ftp(path), bytes, kSuccess, bytes},
      // nginx answers a range beyond the end with 416; the partial file is kept.
      {TestServers::Http(path), larger, kNothingBeyondLocal, ""},
  };
  for (const auto& [url, partial, result, expected] : cases) {
    SCOPED_TRACE(Narrow(url) + " from " + std::to_string(partial.size()));
    auto downloader = MakeDownloader();
    WritePartial(partial);
    EXPECT_EQ(result, downloader->Download(url, destination_));
    EXPECT_TRUE(Downloaded() == expected);
    EXPECT_EQ(result != kSuccess, PartialExists() && Partial() == partial);
    if (result != kSuccess) continue;  // the resumed bytes count as progress too
    EXPECT_EQ(std::make_pair(std::vector<std::uint32_t>{50000}, std::uint64_t{50000}),
              std::make_pair(callback_.beginTotals, callback_.progressBytes));
  }
}

TEST_F(DownloaderTest, ServerRefusalsMapToResultCodesAndWriteNothing) {
  const std::wstring path = ServeUnique(PatternBytes(5000, 4));
  const std::pair<std::vector<std::wstring>, ResultCode> cases[] = {
      {{TestServers::Http(L"updates/missing.bin")}, kResourceNotFound},
      {{TestServers::Http(L"forbidden/x.bin")}, kForbidden},
      {{TestServers::Http(L"auth/secret.txt")}, kCredentialsNeeded},
      {{TestServers::Https(path)}, static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA)},
      {{TestServers::Ftp(L"updates/missing.bin")}, ERROR_INTERNET_EXTENDED_ERROR},
      {{L"file:///C:/no/such/file.bin"}, ERROR_PATH_NOT_FOUND},
      {{L"gopher://127.0.0.1/x"}, kUnsupportedScheme},
      {{}, kUnsupportedScheme},
      {{L"http://127.0.0.1:1/x"}, ERROR_INTERNET_CANNOT_CONNECT},
      {{TestServers::Http(RedirectsTo(21, path))}, kRedirectFailed},
  };
  for (const auto& [urls, result] : cases) {
    SCOPED_TRACE(urls.empty() ? std::string("no URL") : Narrow(urls[0]));
    EXPECT_EQ(result, MakeDownloader()->Download(urls, destination_));
    EXPECT_FALSE(test::FileExists(destination_) || PartialExists());
    EXPECT_EQ(result, callback_.failures.empty() ? kSuccess : callback_.failures.back());
    EXPECT_LE(callback_.questions.size(), 1u) << "a refused certificate was resent";
  }
  EXPECT_EQ(kUnableToSaveFile, MakeDownloader()->Download(TestServers::Http(path), L"rel\\f.bin"));
  // Accepted, the certificate errors are ignored for the request, which goes through.
  auto accepting = MakeDownloader();
  callback_.acceptCertificates = true;
  EXPECT_EQ(kSuccess, accepting->Download(TestServers::Https(path), destination_));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA), callback_.questions.at(0));
}

TEST_F(DownloaderTest, AuthenticationUsesStoredThenEnteredCredentials) {
  const std::string bytes = PatternBytes(3000, 6);
  const std::wstring path = TestServers::Serve(L"auth/" + test::UniqueName(L"a") + L".bin", bytes);
  // Wine keeps accepted Basic credentials per host for the whole process, so every case that is
  // to see a challenge uses a host name no earlier case authenticated to, and refusals come first.
  // host, host the scope covers, stored credentials, whether the user enters some, result
  const std::tuple<const wchar_t*, const wchar_t*, std::vector<Credential>, bool, ResultCode>
      cases[] = {
          {L"127.0.0.1", L"127.0.0.1", {{L"alice", L"wrong"}}, false, kCredentialsNeeded},
          {L"127.0.0.1", L"localhost", {{L"alice", L"wonderland"}}, false, kCredentialsNeeded},
          {L"127.0.0.1", L"127.0.0.1", {{L"alice", L"wrong"}, {L"alice", L"wonderland"}}, false,
           kSuccess},
          {L"localhost", L"127.0.0.1", {{L"alice", L"wonderland"}}, true, kSuccess},
      };
  for (const auto& [host, scopeHost, stored, userEnters, result] : cases) {
    CredentialProvider provider;
    provider.SetScope(CredentialScope({TestServers::HttpOn(scopeHost, L"u.ini")}, L""));
    provider.AddCredentials(stored);
    auto downloader = MakeDownloader(&provider);
    int asked = 0;
    callback_.onCredentials = [&, userEnters = userEnters](CredentialProvider& provider) {
      ++asked;
      if (!userEnters || provider.Realm() != L"Updater Test") return false;
      provider.EnterAnswer({L"alice", L"wonderland"}, false);
      return true;
    };
    SCOPED_TRACE(Narrow(host) + " with " + std::to_string(stored.size()) + " stored");
    EXPECT_EQ(result, downloader->Download(TestServers::HttpOn(host, path), destination_));
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes);
    EXPECT_EQ(userEnters || result != kSuccess ? 1 : 0, asked);
  }
}

TEST_F(DownloaderTest, RememberedCredentialsGoOnlyToAHostOfTheScopeThatAsks) {
  const std::string bytes = PatternBytes(3000, 12);
  const std::wstring path = ServeUnique(bytes);
  // The web server at 127.0.0.1, the scope's host, redirects to the server ELSEWHERE under the
  // host name in the path, which answers 401 unless it gets alice's credentials ("auth/" first
  // asks for the web server's, "relative/" first redirects within the web server). Each case names
  // ELSEWHERE in a spelling of its own: Wine sends a host the credentials it once accepted unasked.
  // redirects, host name of ELSEWHERE, whether the scope covers that name
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"elsewhere/", L"localhost", false},
      {L"auth/elsewhere/", L"127.1", false},
      {L"relative/elsewhere/", L"127.0.1", true},
  };
  for (const auto& [redirects, host, covered] : cases) {
    std::vector<std::wstring> scope = {TestServers::Http(L"u.ini")};
    if (covered) scope.push_back(L"http://" + std::wstring(host) + L"/u.ini");
    CredentialProvider provider;
    provider.SetScope(CredentialScope(scope, L""));
    provider.AddCredentials({{L"alice", L"wonderland"}});
    auto downloader = MakeDownloader(&provider);
    const std::wstring url = TestServers::Http(redirects + std::wstring(host) + L"/" + path);
    SCOPED_TRACE(Narrow(url));
    EXPECT_EQ(covered ? kSuccess : kCredentialsNeeded, downloader->Download(url, destination_));
    EXPECT_EQ(covered ? 200u : 401u, downloader->StatusCode());
    EXPECT_EQ(covered, Downloaded() == bytes);
  }
}

TEST_F(DownloaderTest, CancelKeepsThePartialFileForALaterResume) {
  const std::string bytes = PatternBytes(2000000, 8);
  const std::wstring path = ServeUnique(bytes);
  for (const std::wstring& url : {TestServers::Http(path), TestServers::Ftp(path)}) {
    SCOPED_TRACE(Narrow(url));
    {
      auto canceled = MakeDownloader();
      callback_.cancelAfterBytes = 100000;
      EXPECT_EQ(kCanceled, canceled->Download(url, destination_));
      EXPECT_TRUE(callback_.failures.empty());
    }
    const std::string partial = Partial();
    EXPECT_TRUE(partial.size() >= 100000 && partial.size() < bytes.size() &&
                partial == bytes.substr(0, partial.size())) << partial.size() << " bytes kept";
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(url, destination_));
    EXPECT_TRUE(Downloaded() == bytes);
  }
}

TEST_F(DownloaderTest, FaultyServersEndWithClearCodesOrAreResumed) {
  const std::string bytes = PatternBytes(30000, 9);
  const std::wstring path = ServeUnique(bytes);
  // url, expected size (0: none), result, whether progress was reported, whether the part is kept
  const std::tuple<std::wstring, DWORD, ResultCode, bool, bool> cases[] = {
      // Breaks off after 10000 bytes; the reconnect asks for the rest.
      {TestServers::Fault(L"drop/10000/" + path), 0, kSuccess, true, false},
      // Announces 1024 bytes more than it sends; the reconnect's 416 names the size the part has.
      {TestServers::Fault(L"lie/" + path), 0, kSuccess, true, false},
      {TestServers::Http(path), 29999, kSizeMismatch, false, false},
      // Never stops, announces no size: the expected size ends it and the partial file goes.
      {TestServers::Fault(L"endless"), 50000, kSizeMismatch, false, false},
      // One byte a second: reconnects that add a byte each count as adding nothing.
      {TestServers::Fault(L"trickle/" + path), 0, kRequestTimeout, true, true},
      // Breaks off, then answers the reconnect's Range with the file from its start.
      {TestServers::Fault(L"drop/10000/norange/" + path), 0, ERROR_INTERNET_TIMEOUT, true, true},
      // Wine reports the receive time-out while waiting for headers as an aborted connection.
      {TestServers::Fault(L"slowheaders"), 0, ERROR_INTERNET_CONNECTION_ABORTED, false, false},
  };
  for (const auto& [url, expectedSize, result, progress, partialKept] : cases) {
    SCOPED_TRACE(Narrow(url));
    DeleteFileW((destination_ + L".part").c_str());
    auto downloader = MakeDownloader();
    downloader->SetExpectedSize(expectedSize);
    EXPECT_EQ(result, downloader->Download(url, destination_));
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes);
    EXPECT_EQ(progress, callback_.progressBytes > 0);
    EXPECT_EQ(partialKept, PartialExists());
    EXPECT_TRUE(Partial() == bytes.substr(0, Partial().size()));
  }
  EXPECT_NE(std::string::npos, TestServers::FaultLog().find("range=\"bytes=10000-\""));
  // A bound instead of a size: an announced size or a stream past it fails, a smaller file loads.
  for (const DWORD bound : {29999u, 30000u}) {
    for (const std::wstring& url : {TestServers::Http(path), TestServers::Fault(L"endless")}) {
      auto downloader = MakeDownloader();
      downloader->SetMaxSize(bound);
      const bool fits = bound == bytes.size() && url == TestServers::Http(path);
      EXPECT_EQ(fits ? kSuccess : kSizeMismatch, downloader->Download(url, destination_))
          << Narrow(url) << " " << bound;
      EXPECT_FALSE(PartialExists());
    }
  }
}

TEST_F(DownloaderTest, FileSourcesKeepToTheExpectedAndMaximumSizes) {
  const std::string bytes = PatternBytes(5000, 13);
  const std::wstring small = folder_.File(L"small.bin");
  test::WriteBytes(small, bytes);
  // More than a DWORD counts, with the low DWORD of its size that of `small`. Wine's files are
  // sparse, so it takes no disk; a copy of it would take 4 GiB.
  const std::wstring huge = folder_.File(L"huge.bin");
  {
    FileHandle file(CreateFileW(huge.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    DWORD returned = 0;
    DeviceIoControl(file.Get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER end;
    end.QuadPart = 0x100000000ll + static_cast<LONGLONG>(bytes.size());
    ASSERT_TRUE(SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) && SetEndOfFile(file.Get()));
  }
  // source, expected size, maximum size, result
  const std::tuple<std::wstring, DWORD, DWORD, ResultCode> cases[] = {
      {small, 5000, 0, kSuccess},
      {small, 4999, 0, kSizeMismatch},
      {small, 5001, 0, kSizeMismatch},
      {small, 0, 5000, kSuccess},
      {small, 0, 4999, kSizeMismatch},
      {huge, 0, 0, kSizeMismatch},
      {huge, 5000, 0, kSizeMismatch},
  };
  for (const auto& [source, expectedSize, maxSize, result] : cases) {
    SCOPED_TRACE(Narrow(source) + " " + std::to_string(expectedSize) + " " +
                 std::to_string(maxSize));
    auto downloader = MakeDownloader();
    downloader->SetExpectedSize(expectedSize);
    downloader->SetMaxSize(maxSize);
    EXPECT_EQ(result, downloader->Download(L"file:///" + source, destination_));
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes);
    EXPECT_FALSE(PartialExists());
    EXPECT_EQ(result, callback_.failures.empty() ? kSuccess : callback_.failures.back());
  }
}

TEST_F(DownloaderTest, ProxiesCarryTheRequestAndAskForTheirCredentials) {
  // Wine keeps accepted proxy credentials for the whole process, so the refusal comes first; it
  // pools connections by target host, so each proxy gets a loopback spelling of its own.
  // proxy server, host spelling, stored credentials (none: no provider at all), the configured
  // proxy of the scope (null: the one in use), result
  const std::tuple<const wchar_t*, const wchar_t*, std::vector<Credential>, const wchar_t*,
                   ResultCode>
      cases[] = {
          {L"proxy", L"127.1", {}, nullptr, kCredentialsNeeded},
          {L"proxy", L"127.1", {{L"proxyuser", L"proxypass"}}, L"http=localhost:3128",
           kCredentialsNeeded},
          {L"proxy", L"127.1", {{L"proxyuser", L"proxypass"}}, nullptr, kSuccess},
          {L"openproxy", L"127.0.1", {}, nullptr, kSuccess},
      };
  for (const auto& [proxy, host, stored, scopeProxy, result] : cases) {
    const std::string bytes = PatternBytes(70000, 11);
    const std::wstring path = ServeUnique(bytes);
    CredentialProvider provider;
    provider.SetScope(
        CredentialScope({}, scopeProxy != nullptr ? scopeProxy : test::ServerAddress(proxy)));
    provider.AddCredentials(stored);
    auto downloader = MakeDownloader(stored.empty() ? nullptr : &provider);
    downloader->SetProxy(test::ServerAddress(proxy));
    SCOPED_TRACE(Narrow(proxy) + " with " + std::to_string(stored.size()));
    EXPECT_EQ(result, downloader->Download(TestServers::HttpOn(host, path), destination_));
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes);
    EXPECT_EQ(result == kSuccess ? 200u : 407u, downloader->StatusCode());
    // Squid logs the full URL of what it forwarded or refused, once it has closed the
    // transaction, which may be after the client has its answer.
    std::string log;
    test::WaitUntil([&] {
      log = TestServers::ProxyLog();
      return log.find("/" + Narrow(path)) != std::string::npos;
    }, 5000);
    EXPECT_NE(std::string::npos, log.find(result == kSuccess ? "TCP_MISS/200" : "TCP_DENIED/407"));
    EXPECT_NE(std::string::npos, log.find("/" + Narrow(path))) << "not in the proxy log";
  }
}

}  // namespace
}  // namespace updater
