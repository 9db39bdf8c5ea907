#include "transfer/AsyncDownloadThread.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TransferTestSupport.h"
#include "transfer/CredentialProvider.h"

namespace updater {
namespace {

using test::Narrow;
using test::PatternBytes;
using test::RecordingEvents;
using test::TestServers;

class AsyncDownloadThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TestServers::Available()); }

  // A file served by every server, with content unique to this test.
  std::wstring ServeUnique(const std::string& bytes) {
    return TestServers::Serve(L"updates/" + test::UniqueName(L"dl") + L".bin", bytes);
  }

  // A downloader with short time-outs and one retry, reporting to a fresh callback_.
  std::unique_ptr<AsyncDownloadThread> MakeDownloader(CredentialProvider* credentials = nullptr) {
    callback_ = RecordingEvents();
    DeleteFileW(destination_.c_str());
    auto downloader = std::make_unique<AsyncDownloadThread>(&callback_, credentials);
    TransferTimeouts timeouts;  // short, so that stalled servers cost a second, not a minute
    timeouts.connectMs = 2000;
    timeouts.receiveMs = 700;
    downloader->SetTimeouts(timeouts);
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

TEST_F(AsyncDownloadThreadTest, FetchesWholeFilesFromEverySourceKindOrTheNextUrl) {
  const std::string bytes = PatternBytes(300000, 1);
  const std::wstring path = ServeUnique(bytes);
  const std::wstring local = folder_.File(L"source.bin");
  test::WriteBytes(local, bytes);
  using Urls = std::vector<std::wstring>;
  for (const Urls& urls : {Urls{TestServers::Http(path)}, Urls{TestServers::Ftp(path)},
                           Urls{TestServers::Fault(path)}, Urls{L"file:///" + local},
                           Urls{TestServers::Http(L"updates/none.bin"), TestServers::Ftp(path)}}) {
    const std::string url = Narrow(urls.back());
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(urls, destination_)) << url;
    EXPECT_TRUE(Downloaded() == bytes) << url;
    EXPECT_FALSE(PartialExists()) << url;
    EXPECT_EQ(bytes.size(), callback_.progressBytes) << url;
    ASSERT_FALSE(callback_.ended.empty()) << url;
    EXPECT_EQ(UpdateAction::DownloadFile, callback_.ended.back().first) << url;
  }
}

TEST_F(AsyncDownloadThreadTest, ResumesFromThePartialFile) {
  const std::string bytes = PatternBytes(50000, 2);
  const std::wstring path = ServeUnique(bytes);
  // Other bytes than the server's, so that a restart from 0 would show.
  const std::string prefix(1000, 'X');
  const std::string resumed = prefix + bytes.substr(prefix.size());
  const std::string larger = PatternBytes(50500, 3);
  const std::tuple<std::wstring, std::string, ResultCode, std::string> cases[] = {
      {TestServers::Http(path), prefix, kSuccess, resumed},
      {TestServers::Ftp(path), prefix, kSuccess, resumed},
      // A server that ignores ranges sends the whole file again.
      {TestServers::Fault(L"norange/" + path), prefix, kSuccess, bytes},
      // A partial file as large as the server's is finished without reading.
      {TestServers::Http(path), bytes, kSuccess, bytes},
      {TestServers::Ftp(path), bytes, kSuccess, bytes},
      // nginx answers a range beyond the end with 416; the partial file is kept.
      {TestServers::Http(path), larger, kNothingBeyondLocal, ""},
  };
  for (const auto& [url, partial, result, expected] : cases) {
    auto downloader = MakeDownloader();
    WritePartial(partial);
    EXPECT_EQ(result, downloader->Download(url, destination_)) << Narrow(url);
    EXPECT_TRUE(Downloaded() == expected) << Narrow(url) << " from " << partial.size();
    EXPECT_EQ(result != kSuccess, PartialExists() && Partial() == partial) << Narrow(url);
    if (result == kSuccess) {
      EXPECT_EQ(std::vector<std::uint32_t>{50000}, callback_.beginTotals) << Narrow(url);
    }
  }
}

TEST_F(AsyncDownloadThreadTest, ServerRefusalsMapToResultCodesAndWriteNothing) {
  const std::wstring path = ServeUnique(PatternBytes(5000, 4));
  const std::pair<std::vector<std::wstring>, ResultCode> cases[] = {
      {{TestServers::Http(L"updates/missing.bin")}, kResourceNotFound},
      {{TestServers::Http(L"gone/x.bin")}, kResourceNotFound},
      {{TestServers::Http(L"forbidden/x.bin")}, kForbidden},
      {{TestServers::Http(L"auth/secret.txt")}, kCredentialsNeeded},
      {{TestServers::Https(path)}, static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA)},
      {{TestServers::Ftp(L"updates/missing.bin")}, ERROR_INTERNET_EXTENDED_ERROR},
      {{L"file:///C:/no/such/file.bin"}, ERROR_PATH_NOT_FOUND},
      {{L"gopher://127.0.0.1/x"}, kUnsupportedScheme},
      {{}, kUnsupportedScheme},
      {{L"http://127.0.0.1:1/x"}, ERROR_INTERNET_CANNOT_CONNECT},
  };
  for (const auto& [urls, result] : cases) {
    const std::string label = urls.empty() ? std::string("no URL") : Narrow(urls[0]);
    EXPECT_EQ(result, MakeDownloader()->Download(urls, destination_)) << label;
    EXPECT_FALSE(test::FileExists(destination_) || PartialExists()) << label;
    EXPECT_EQ(result, callback_.failures.empty() ? kSuccess : callback_.failures.back()) << label;
  }
  for (const wchar_t* relative : {L"relative\\file.bin", L""}) {
    EXPECT_EQ(kUnableToSaveFile, MakeDownloader()->Download(TestServers::Http(path), relative))
        << Narrow(relative);
  }
}

TEST_F(AsyncDownloadThreadTest, LastModifiedOfServersAndFilesAnswersAConditionalRequest) {
  // small.txt is served with the time given to the local file here.
  const SYSTEMTIME june = {2021, 6, 0, 15, 12, 0, 0, 0};
  const std::wstring local = folder_.File(L"local.txt");
  test::WriteBytes(local, "local");
  FILETIME time;
  SystemTimeToFileTime(&june, &time);
  const FileHandle file(
      CreateFileW(local.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(SetFileTime(file.Get(), nullptr, nullptr, &time));
  for (const std::wstring& url : {TestServers::Http(L"small.txt"), L"file:///" + local}) {
    auto downloader = MakeDownloader();
    downloader->SetQueryLastModified(true);
    ASSERT_EQ(kSuccess, downloader->Download(url, destination_)) << Narrow(url);
    const SYSTEMTIME modified = downloader->GetLastModified();
    EXPECT_EQ(std::make_tuple(2021, 6, 15, 12),
              std::make_tuple(modified.wYear, modified.wMonth, modified.wDay, modified.wHour))
        << Narrow(url);
    auto conditional = MakeDownloader();
    conditional->SetIfModifiedSince(modified);
    EXPECT_EQ(kNotModified, conditional->Download(url, destination_)) << Narrow(url);
  }
}

TEST_F(AsyncDownloadThreadTest, AuthenticationUsesStoredThenEnteredCredentials) {
  const std::string bytes = PatternBytes(3000, 6);
  const std::wstring path = TestServers::Serve(L"auth/" + test::UniqueName(L"a") + L".bin", bytes);
  // Wine keeps accepted Basic credentials per host for the whole process, so every case that is
  // to see a challenge uses a host name no earlier case authenticated to, and refusals come first.
  const std::tuple<const wchar_t*, std::vector<Credential>, bool, ResultCode> cases[] = {
      {L"127.0.0.1", {{L"alice", L"wrong"}}, false, kCredentialsNeeded},
      {L"127.0.0.1", {{L"alice", L"wrong"}, {L"alice", L"wonderland"}}, false, kSuccess},
      {L"localhost", {}, true, kSuccess},
  };
  for (const auto& [host, stored, userEnters, result] : cases) {
    CredentialProvider provider;
    provider.AddCredentials(stored);
    auto downloader = MakeDownloader(&provider);
    callback_.onCredentials = [&, userEnters = userEnters](CredentialProvider& asked) {
      if (!userEnters) return false;
      EXPECT_EQ(&provider, &asked);
      EXPECT_EQ(std::wstring(L"Updater Test"), provider.Realm());
      // What the credentials dialog does when the user types the right pair.
      provider.SetDialog([](HWND, const std::wstring&, const std::wstring&, const std::wstring&,
                            EnteredCredentials* entered) {
        *entered = {L"alice", L"wonderland", false};
        return true;
      });
      return provider.AskUser(nullptr);
    };
    const std::wstring url = TestServers::HttpOn(host, path);
    EXPECT_EQ(result, downloader->Download(url, destination_)) << stored.size() << " stored";
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes) << stored.size() << " stored";
  }
}

TEST_F(AsyncDownloadThreadTest, CertificateErrorIsAskedAboutOnceAndMayBeAccepted) {
  const std::string bytes = PatternBytes(9000, 7);
  const std::wstring url = TestServers::Https(ServeUnique(bytes));
  // Refused first: once accepted, WinINet keeps the connection and asks no more.
  for (const bool accept : {false, true}) {
    auto downloader = MakeDownloader();
    callback_.acceptCertificates = accept;
    const ResultCode result = downloader->Download(url, destination_);
    ASSERT_FALSE(callback_.questions.empty()) << accept;
    EXPECT_EQ(static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA), callback_.questions.front());
    if (accept) {
      EXPECT_EQ(kSuccess, result);
      EXPECT_TRUE(Downloaded() == bytes);
    } else {
      EXPECT_EQ(static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA), result);
      EXPECT_EQ(1u, callback_.questions.size()) << "a refused certificate was sent again";
    }
  }
}

TEST_F(AsyncDownloadThreadTest, CancelKeepsThePartialFileForALaterResume) {
  const std::string bytes = PatternBytes(2000000, 8);
  const std::wstring path = ServeUnique(bytes);
  for (const std::wstring& url : {TestServers::Http(path), TestServers::Ftp(path)}) {
    {
      auto canceled = MakeDownloader();
      callback_.cancelAfterBytes = 100000;
      EXPECT_EQ(kCanceled, canceled->Download(url, destination_)) << Narrow(url);
      EXPECT_TRUE(callback_.failures.empty()) << Narrow(url);
    }
    const std::string partial = Partial();
    EXPECT_GE(partial.size(), 100000u) << Narrow(url);
    EXPECT_LT(partial.size(), bytes.size()) << Narrow(url);
    EXPECT_TRUE(partial == bytes.substr(0, partial.size())) << Narrow(url);
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(url, destination_)) << Narrow(url);
    EXPECT_TRUE(Downloaded() == bytes) << Narrow(url);
  }
}

TEST_F(AsyncDownloadThreadTest, FaultyServersEndWithClearCodesOrAreResumed) {
  const std::string bytes = PatternBytes(30000, 9);
  const std::wstring path = ServeUnique(bytes);
  // url, expected size (0: none), result, whether progress was reported, whether the part is kept
  const std::tuple<std::wstring, DWORD, ResultCode, bool, bool> cases[] = {
      // Breaks off after 10000 bytes; the reconnect asks for the rest.
      {TestServers::Fault(L"drop/10000/" + path), 0, kSuccess, true, false},
      // Announces 1024 bytes more than it sends; the reconnect's 416 names the true size, which
      // the partial file already has.
      {TestServers::Fault(L"lie/" + path), 0, kSuccess, true, false},
      // An announced size other than the expected one fails before reading.
      {TestServers::Http(path), 29999, kSizeMismatch, false, false},
      // Never stops and announces no size, so no progress: the expected size ends it and the
      // partial file goes.
      {TestServers::Fault(L"endless"), 50000, kSizeMismatch, false, false},
      // One byte a second: each read times out; reconnects that add a byte each count as adding
      // nothing.
      {TestServers::Fault(L"trickle/" + path), 0, kRequestTimeout, true, true},
      // Wine reports the receive time-out while waiting for headers as an aborted connection.
      {TestServers::Fault(L"slowheaders"), 0, ERROR_INTERNET_CONNECTION_ABORTED, false, false},
  };
  for (const auto& [url, expectedSize, result, progress, partialKept] : cases) {
    DeleteFileW((destination_ + L".part").c_str());
    auto downloader = MakeDownloader();
    downloader->SetExpectedSize(expectedSize);
    EXPECT_EQ(result, downloader->Download(url, destination_)) << Narrow(url);
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes) << Narrow(url);
    EXPECT_EQ(progress, callback_.progressBytes > 0) << Narrow(url);
    EXPECT_EQ(partialKept, PartialExists()) << Narrow(url);
    EXPECT_TRUE(Partial() == bytes.substr(0, Partial().size())) << Narrow(url);
  }
  EXPECT_NE(std::string::npos, TestServers::FaultLog().find("range=\"bytes=10000-\""));
}

TEST_F(AsyncDownloadThreadTest, CancelWhileTheServerWithholdsItsAnswerEndsPromptly) {
  // Wine lets go of a request waiting for headers only at its receive time-out, here the
  // default minute; neither the cancel nor the destruction may wait for that.
  callback_.cancelAfterMs = 300;
  const DWORD start = GetTickCount();
  {
    AsyncDownloadThread downloader(&callback_, nullptr);
    downloader.SetRetryAttempts(0);
    EXPECT_EQ(kCanceled, downloader.Download(TestServers::Fault(L"slowheaders"), destination_));
  }
  const DWORD elapsed = GetTickCount() - start;
  EXPECT_LT(elapsed, 5000u) << "cancel and destruction took " << elapsed << " ms";
  EXPECT_TRUE(callback_.failures.empty());
  EXPECT_FALSE(test::FileExists(destination_));
}

TEST_F(AsyncDownloadThreadTest, PauseAndARequestLeftPendingByACancelDisturbNoLaterTransfer) {
  TransferTimeouts timeouts;
  timeouts.receiveMs = 1500;
  AsyncDownloadThread downloader(&callback_, nullptr);
  downloader.SetTimeouts(timeouts);
  downloader.SetRetryAttempts(0);
  callback_.cancelAfterMs = 100;
  EXPECT_EQ(kCanceled, downloader.Download(TestServers::Fault(L"slowheaders"), destination_));

  // The next transfer runs while Wine ends the abandoned request and reports it closed, paused
  // long enough for that to happen in its middle; nothing may progress while paused.
  const std::string bytes = PatternBytes(600000, 10);
  const std::wstring path = ServeUnique(bytes);
  callback_ = RecordingEvents();
  callback_.pauseChecks = 200;
  EXPECT_EQ(kSuccess, downloader.Download(TestServers::Http(path), destination_));
  EXPECT_TRUE(Downloaded() == bytes);
  EXPECT_EQ(0, callback_.pauseChecks);
  EXPECT_EQ(0, callback_.progressWhilePaused);
}

TEST_F(AsyncDownloadThreadTest, ProxiesCarryTheRequestAndAskForTheirCredentials) {
  // Wine keeps accepted proxy credentials for the whole process, so the refusal comes first.
  // It also pools kept-alive connections by the target host, not the proxy: each proxy gets a
  // spelling of the loopback address of its own, which no direct request of the process uses.
  using Credentials = std::vector<Credential>;
  const std::tuple<std::wstring, const wchar_t*, Credentials, bool, ResultCode> cases[] = {
      {TestServers::AuthenticatingProxy(), L"127.1", {}, false, kCredentialsNeeded},
      {TestServers::AuthenticatingProxy(), L"127.1", {{L"proxyuser", L"proxypass"}}, true,
       kSuccess},
      {TestServers::OpenProxy(), L"127.0.1", {}, false, kSuccess},
  };
  for (const auto& [proxy, host, stored, withProvider, result] : cases) {
    const std::string bytes = PatternBytes(70000, 11);
    const std::wstring path = ServeUnique(bytes);
    CredentialProvider provider;
    provider.AddCredentials(stored);
    auto downloader = MakeDownloader(withProvider ? &provider : nullptr);
    downloader->SetProxy(proxy);
    const std::string label = Narrow(proxy) + (withProvider ? " with" : " without");
    const std::wstring url = TestServers::HttpOn(host, path);
    EXPECT_EQ(result, downloader->Download(url, destination_)) << label;
    EXPECT_EQ(result == kSuccess, Downloaded() == bytes) << label;
    EXPECT_EQ(result == kSuccess ? 200u : 407u, downloader->StatusCode()) << label;
    // Squid logs the full URL of what it forwarded or refused.
    const std::string log = TestServers::ProxyLog();
    EXPECT_NE(std::string::npos, log.find(result == kSuccess ? "TCP_MISS/200" : "TCP_DENIED/407"))
        << label;
    EXPECT_NE(std::string::npos, log.find("/" + Narrow(path))) << label << ": not in the proxy log";
  }
}

}  // namespace
}  // namespace updater
