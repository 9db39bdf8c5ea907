#include "transfer/AsyncDownloadThread.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TransferTestSupport.h"
#include "transfer/CredentialProvider.h"

namespace updater {
namespace {

using test::PatternBytes;
using test::RecordingCallback;
using test::TestServers;

class AsyncDownloadThreadTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(TestServers::Available()); }

  // A file served by every server, with content unique to this test.
  std::wstring ServeUnique(const std::string& bytes) {
    const std::wstring name = test::UniqueName(L"dl") + L".bin";
    return TestServers::Serve(L"updates/" + name, bytes);
  }

  std::unique_ptr<AsyncDownloadThread> MakeDownloader(CredentialProvider* credentials = nullptr) {
    auto downloader = std::make_unique<AsyncDownloadThread>(&callback_, credentials);
    downloader->SetTimeouts(test::ShortTimeouts());
    downloader->SetRetryAttempts(1);
    return downloader;
  }

  std::string Downloaded() const { return test::ReadFileBytes(destination_); }
  bool PartialExists() const { return test::FileExists(destination_ + L".part"); }

  test::TempFolder folder_;
  std::wstring destination_ = folder_.File(L"sub\\target.bin");
  RecordingCallback callback_;
};

TEST_F(AsyncDownloadThreadTest, FetchesWholeFilesFromEverySourceKind) {
  const std::string bytes = PatternBytes(300000, 1);
  const std::wstring path = ServeUnique(bytes);
  const std::wstring localCopy = folder_.File(L"source.bin");
  test::WriteBytes(localCopy, bytes);
  std::wstring fileUrl = L"file:///" + localCopy;
  const std::wstring urls[] = {TestServers::Http(path), TestServers::Ftp(path),
                               TestServers::Fault(path), fileUrl};
  for (const std::wstring& url : urls) {
    callback_ = RecordingCallback();
    DeleteFileW(destination_.c_str());
    const ResultCode result = MakeDownloader()->Download(url, destination_);
    EXPECT_EQ(kSuccess, result) << test::Narrow(url);
    EXPECT_TRUE(Downloaded() == bytes) << test::Narrow(url);
    EXPECT_FALSE(PartialExists()) << test::Narrow(url);
    EXPECT_EQ(bytes.size(), callback_.progressBytes) << test::Narrow(url);
    ASSERT_FALSE(callback_.ended.empty()) << test::Narrow(url);
    EXPECT_EQ(kActionDownloadFile, callback_.ended.back().first) << test::Narrow(url);
  }
}

TEST_F(AsyncDownloadThreadTest, ResumesFromThePartialFile) {
  // The partial file holds other bytes than the server, so a restart from 0 would show.
  const std::string bytes = PatternBytes(200000, 2);
  const std::wstring path = ServeUnique(bytes);
  const std::string prefix(1000, 'X');
  const std::string expected = prefix + bytes.substr(1000);
  for (const std::wstring& url : {TestServers::Http(path), TestServers::Ftp(path)}) {
    CreateDirectoryW(folder_.File(L"sub").c_str(), nullptr);
    test::WriteBytes(destination_ + L".part", prefix);
    callback_ = RecordingCallback();
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(url, destination_)) << test::Narrow(url);
    EXPECT_TRUE(Downloaded() == expected) << test::Narrow(url);
    ASSERT_EQ(1u, callback_.beginTotals.size());
    EXPECT_EQ(bytes.size(), callback_.beginTotals[0]) << test::Narrow(url);
  }
}

TEST_F(AsyncDownloadThreadTest, ServerThatIgnoresRangesSendsTheWholeFileAgain) {
  const std::string bytes = PatternBytes(50000, 3);
  const std::wstring path = ServeUnique(bytes);
  CreateDirectoryW(folder_.File(L"sub").c_str(), nullptr);
  test::WriteBytes(destination_ + L".part", std::string(1000, 'X'));
  EXPECT_EQ(kSuccess, MakeDownloader()->Download(TestServers::Fault(L"norange/" + path),
                                                 destination_));
  EXPECT_TRUE(Downloaded() == bytes);
}

TEST_F(AsyncDownloadThreadTest, PartialFileAsLargeAsTheServersIsFinishedWithoutReading) {
  const std::string bytes = PatternBytes(4000, 4);
  const std::wstring path = ServeUnique(bytes);
  for (const std::wstring& url : {TestServers::Http(path), TestServers::Ftp(path)}) {
    CreateDirectoryW(folder_.File(L"sub").c_str(), nullptr);
    test::WriteBytes(destination_ + L".part", bytes);
    callback_ = RecordingCallback();
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(url, destination_)) << test::Narrow(url);
    EXPECT_TRUE(Downloaded() == bytes) << test::Narrow(url);
    EXPECT_EQ(bytes.size(), callback_.progressBytes) << test::Narrow(url);
  }
}

TEST_F(AsyncDownloadThreadTest, PartialFileLargerThanTheServersIsReportedAndKept) {
  const std::string bytes = PatternBytes(800, 5);
  const std::wstring path = ServeUnique(bytes);
  CreateDirectoryW(folder_.File(L"sub").c_str(), nullptr);
  const std::string partial = PatternBytes(1000, 6);
  test::WriteBytes(destination_ + L".part", partial);
  // nginx answers a range beyond the end with 416.
  EXPECT_EQ(kNothingBeyondLocal, MakeDownloader()->Download(TestServers::Http(path), destination_));
  EXPECT_TRUE(test::ReadFileBytes(destination_ + L".part") == partial);
  EXPECT_FALSE(test::FileExists(destination_));
}

TEST_F(AsyncDownloadThreadTest, ServerRefusalsMapToResultCodesAndWriteNothing) {
  struct Case {
    std::vector<std::wstring> urls;
    ResultCode result;
  };
  const std::string bytes = PatternBytes(5000, 7);
  const std::wstring path = ServeUnique(bytes);
  const Case cases[] = {
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
  for (const Case& c : cases) {
    callback_ = RecordingCallback();
    const std::string label = c.urls.empty() ? std::string("no URL") : test::Narrow(c.urls[0]);
    EXPECT_EQ(c.result, MakeDownloader()->Download(c.urls, destination_)) << label;
    EXPECT_FALSE(test::FileExists(destination_)) << label;
    EXPECT_FALSE(PartialExists()) << label;
    ASSERT_FALSE(callback_.errors.empty()) << label;
    EXPECT_EQ(c.result, callback_.errors.back()) << label;
  }
}

TEST_F(AsyncDownloadThreadTest, DestinationMustBeAbsolute) {
  const std::wstring path = ServeUnique(PatternBytes(10, 8));
  for (const wchar_t* destination : {L"relative\\file.bin", L"x", L""}) {
    EXPECT_EQ(kUnableToSaveFile, MakeDownloader()->Download(TestServers::Http(path), destination))
        << test::Narrow(destination);
  }
}

TEST_F(AsyncDownloadThreadTest, MissingFileOnTheFirstUrlMovesToTheSecond) {
  const std::string bytes = PatternBytes(7000, 9);
  const std::wstring path = ServeUnique(bytes);
  auto downloader = MakeDownloader();
  downloader->SetRetryAttempts(0);
  EXPECT_EQ(kSuccess, downloader->Download(std::vector<std::wstring>{TestServers::Http(L"updates/missing.bin"),
                                                                     TestServers::Http(path)},
                                           destination_));
  EXPECT_TRUE(Downloaded() == bytes);
}

TEST_F(AsyncDownloadThreadTest, ConditionalRequestAnswersNotModifiedAndKeepsTheFile) {
  const std::wstring path = L"small.txt";  // served with mtime 2021-06-15 12:00:00 UTC
  auto downloader = MakeDownloader();
  downloader->SetQueryLastModified(true);
  ASSERT_EQ(kSuccess, downloader->Download(TestServers::Http(path), destination_));
  const SYSTEMTIME modified = downloader->GetLastModified();
  EXPECT_EQ(2021, modified.wYear);
  EXPECT_EQ(6, modified.wMonth);
  EXPECT_EQ(15, modified.wDay);
  EXPECT_EQ(12, modified.wHour);
  const std::string before = Downloaded();

  auto conditional = MakeDownloader();
  conditional->SetIfModifiedSince(modified);
  EXPECT_EQ(kNotModified, conditional->Download(TestServers::Http(path), destination_));
  EXPECT_EQ(304u, conditional->StatusCode());
  EXPECT_TRUE(Downloaded() == before);

  SYSTEMTIME earlier = modified;
  earlier.wYear = 2020;
  auto older = MakeDownloader();
  older->SetIfModifiedSince(earlier);
  EXPECT_EQ(kSuccess, older->Download(TestServers::Http(path), destination_));
  EXPECT_TRUE(Downloaded() == before);
}

TEST_F(AsyncDownloadThreadTest, AuthenticationUsesStoredThenEnteredCredentials) {
  const std::string bytes = PatternBytes(3000, 10);
  const std::wstring path = TestServers::Serve(L"auth/" + test::UniqueName(L"a") + L".bin", bytes);
  // Wine keeps accepted Basic credentials per host for the whole process, so every case that is
  // to see a challenge uses a host name no earlier case authenticated to, and refusals come first.
  struct Case {
    const wchar_t* host;
    std::vector<Credential> stored;
    bool userEnters;
    ResultCode result;
  };
  const Case cases[] = {
      {L"127.0.0.1", {{L"alice", L"wrong"}}, false, kCredentialsNeeded},
      {L"127.0.0.1", {{L"alice", L"wrong"}, {L"alice", L"wonderland"}}, false, kSuccess},
      {L"localhost", {}, true, kSuccess},
  };
  for (const Case& c : cases) {
    CredentialProvider provider;
    provider.AddCredentials(c.stored);
    callback_ = RecordingCallback();
    callback_.onError = [&](const wchar_t*, ResultCode code, void* handle) -> ResultCode {
      if (code != kCredentialsNeeded || !c.userEnters) return code;
      EXPECT_EQ(&provider, handle);
      EXPECT_EQ(std::wstring(L"Updater Test"), provider.Realm());
      // What the credentials dialog does when the user types the right pair.
      provider.SetDialog([](HWND, const std::wstring&, const std::wstring&, const std::wstring&,
                            EnteredCredentials* entered) {
        entered->user = L"alice";
        entered->password = L"wonderland";
        return true;
      });
      return provider.AskUser(nullptr) ? ERROR_RETRY : code;
    };
    DeleteFileW(destination_.c_str());
    const std::wstring http = test::ServerAddress(L"http");
    const std::wstring url =
        std::wstring(L"http://") + c.host + http.substr(http.find(L':')) + L"/" + path;
    EXPECT_EQ(c.result, MakeDownloader(&provider)->Download(url, destination_))
        << c.stored.size() << " stored";
    EXPECT_EQ(c.result == kSuccess, Downloaded() == bytes) << c.stored.size() << " stored";
  }
}

TEST_F(AsyncDownloadThreadTest, CertificateErrorGoesThroughErrorAndMayBeAccepted) {
  const std::string bytes = PatternBytes(9000, 11);
  const std::wstring path = ServeUnique(bytes);
  callback_.onError = [](const wchar_t*, ResultCode code, void* handle) -> ResultCode {
    // What the user interface does when the user accepts the certificate for this request.
    DWORD flags = 0;
    DWORD size = sizeof(flags);
    InternetQueryOptionW(handle, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
    flags |= SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
    InternetSetOptionW(handle, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags));
    return code == ERROR_INTERNET_INVALID_CA || code == ERROR_INTERNET_SEC_CERT_CN_INVALID ? 0
                                                                                        : code;
  };
  EXPECT_EQ(kSuccess, MakeDownloader()->Download(TestServers::Https(path), destination_));
  EXPECT_TRUE(Downloaded() == bytes);
  ASSERT_FALSE(callback_.errors.empty());
  EXPECT_EQ(static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA), callback_.errors.front());
}

TEST_F(AsyncDownloadThreadTest, AnnouncedSizeOtherThanExpectedFailsBeforeReading) {
  const std::string bytes = PatternBytes(5000, 12);
  const std::wstring path = ServeUnique(bytes);
  auto downloader = MakeDownloader();
  downloader->SetExpectedSize(4999);
  EXPECT_EQ(kSizeMismatch, downloader->Download(TestServers::Http(path), destination_));
  EXPECT_FALSE(test::FileExists(destination_));
  EXPECT_EQ(0u, callback_.progressBytes);
}

TEST_F(AsyncDownloadThreadTest, CancelKeepsThePartialFileForALaterResume) {
  const std::string bytes = PatternBytes(2000000, 13);
  const std::wstring path = ServeUnique(bytes);
  for (const std::wstring& url : {TestServers::Http(path), TestServers::Ftp(path)}) {
    DeleteFileW(destination_.c_str());
    callback_ = RecordingCallback();
    callback_.cancelAfterBytes = 100000;
    EXPECT_EQ(kCanceled, MakeDownloader()->Download(url, destination_)) << test::Narrow(url);
    EXPECT_TRUE(callback_.errors.empty()) << test::Narrow(url);
    const std::string partial = test::ReadFileBytes(destination_ + L".part");
    EXPECT_GE(partial.size(), 100000u) << test::Narrow(url);
    EXPECT_LT(partial.size(), bytes.size()) << test::Narrow(url);
    EXPECT_TRUE(partial == bytes.substr(0, partial.size())) << test::Narrow(url);

    callback_ = RecordingCallback();
    EXPECT_EQ(kSuccess, MakeDownloader()->Download(url, destination_)) << test::Narrow(url);
    EXPECT_TRUE(Downloaded() == bytes) << test::Narrow(url);
  }
}

TEST_F(AsyncDownloadThreadTest, DroppedStreamsAreResumedWhereTheyBroke) {
  const std::string bytes = PatternBytes(500000, 15);
  const std::wstring path = ServeUnique(bytes);
  EXPECT_EQ(kSuccess, MakeDownloader()->Download(TestServers::Fault(L"drop/200000/" + path),
                                                 destination_));
  EXPECT_TRUE(Downloaded() == bytes);
  EXPECT_NE(std::string::npos, TestServers::FaultLog().find("range=\"bytes=200000-\""));
}

TEST_F(AsyncDownloadThreadTest, FaultyServersEndWithClearCodes) {
  struct Case {
    std::wstring path;
    DWORD expectedSize;
    ResultCode result;
    bool partialKept;
  };
  const std::string bytes = PatternBytes(30000, 16);
  const std::wstring path = ServeUnique(bytes);
  const Case cases[] = {
      // Announces 1024 bytes more than it sends; the reconnect's 416 names the true size, which
      // the partial file already has.
      {L"lie/" + path, 0, kSuccess, false},
      // Never stops: the expected size ends it and the partial file goes.
      {L"endless", 50000, kSizeMismatch, false},
      // One byte a second: each read times out; reconnects that add a byte each count as adding
      // nothing.
      {L"trickle/" + path, 0, kRequestTimeout, true},
      // Wine reports the receive time-out while waiting for headers as an aborted connection.
      {L"slowheaders", 0, static_cast<ResultCode>(ERROR_INTERNET_CONNECTION_ABORTED), false},
  };
  for (const Case& c : cases) {
    DeleteFileW((destination_ + L".part").c_str());
    DeleteFileW(destination_.c_str());
    callback_ = RecordingCallback();
    auto downloader = MakeDownloader();
    downloader->SetExpectedSize(c.expectedSize);
    EXPECT_EQ(c.result, downloader->Download(TestServers::Fault(c.path), destination_))
        << test::Narrow(c.path);
    EXPECT_EQ(c.result == kSuccess, Downloaded() == bytes) << test::Narrow(c.path);
    EXPECT_EQ(c.partialKept, PartialExists()) << test::Narrow(c.path);
    if (c.partialKept) {
      const std::string partial = test::ReadFileBytes(destination_ + L".part");
      EXPECT_TRUE(partial == bytes.substr(0, partial.size())) << test::Narrow(c.path);
    }
  }
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
  EXPECT_TRUE(callback_.errors.empty());
  EXPECT_FALSE(test::FileExists(destination_));
}

TEST_F(AsyncDownloadThreadTest, RequestLeftPendingByACancelDisturbsNoLaterTransfer) {
  TransferTimeouts timeouts;
  timeouts.receiveMs = 1500;
  AsyncDownloadThread downloader(&callback_, nullptr);
  downloader.SetTimeouts(timeouts);
  downloader.SetRetryAttempts(0);
  callback_.cancelAfterMs = 100;
  EXPECT_EQ(kCanceled, downloader.Download(TestServers::Fault(L"slowheaders"), destination_));

  // The next transfer runs while Wine ends the abandoned request and reports it closed, paused
  // long enough for that to happen in its middle.
  const std::string bytes = PatternBytes(600000, 17);
  const std::wstring path = ServeUnique(bytes);
  callback_ = RecordingCallback();
  callback_.pauseChecks = 200;
  EXPECT_EQ(kSuccess, downloader.Download(TestServers::Http(path), destination_));
  EXPECT_TRUE(Downloaded() == bytes);
  EXPECT_EQ(0, callback_.pauseChecks);
}

TEST_F(AsyncDownloadThreadTest, ProxiesCarryTheRequestAndAskForTheirCredentials) {
  // Wine keeps accepted proxy credentials for the whole process, so the refusal comes first.
  // It also pools kept-alive connections by the target host, not the proxy: each proxy gets a
  // spelling of the loopback address of its own, which no direct request of the process uses.
  struct Case {
    std::wstring proxy;
    const wchar_t* host;
    std::vector<Credential> stored;
    bool withProvider;
    ResultCode result;
  };
  const Case cases[] = {
      {TestServers::AuthenticatingProxy(), L"127.1", {}, false, kCredentialsNeeded},
      {TestServers::AuthenticatingProxy(), L"127.1", {{L"proxyuser", L"proxypass"}}, true,
       kSuccess},
      {TestServers::OpenProxy(), L"127.0.1", {}, false, kSuccess},
  };
  for (const Case& c : cases) {
    const std::string bytes = PatternBytes(70000, 18);
    const std::wstring path = ServeUnique(bytes);
    CredentialProvider provider;
    provider.AddCredentials(c.stored);
    callback_ = RecordingCallback();
    DeleteFileW(destination_.c_str());
    auto downloader = MakeDownloader(c.withProvider ? &provider : nullptr);
    downloader->SetProxy(c.proxy);
    const std::string label = test::Narrow(c.proxy) + (c.withProvider ? " with" : " without");
    const std::wstring http = test::ServerAddress(L"http");
    const std::wstring url =
        std::wstring(L"http://") + c.host + http.substr(http.find(L':')) + L"/" + path;
    EXPECT_EQ(c.result, downloader->Download(url, destination_)) << label;
    EXPECT_EQ(c.result == kSuccess, Downloaded() == bytes) << label;
    if (c.result != kSuccess) {
      EXPECT_EQ(407u, downloader->StatusCode()) << label;
      ASSERT_FALSE(callback_.errors.empty()) << label;
      EXPECT_EQ(c.result, callback_.errors.back()) << label;
    }
    // Squid logs the full URL of what it forwarded or refused.
    const std::string logged = "/" + test::Narrow(path);
    const std::string log = TestServers::ProxyLog();
    EXPECT_NE(std::string::npos, log.find(c.result == kSuccess ? "TCP_MISS/200" : "TCP_DENIED/407"))
        << label;
    EXPECT_NE(std::string::npos, log.find(logged)) << label << ": the proxy did not see " << logged;
  }
}

TEST_F(AsyncDownloadThreadTest, PauseHoldsProgressUntilResumed) {
  const std::string bytes = PatternBytes(400000, 14);
  const std::wstring path = ServeUnique(bytes);
  callback_.pauseChecks = 20;
  EXPECT_EQ(kSuccess, MakeDownloader()->Download(TestServers::Http(path), destination_));
  EXPECT_EQ(0, callback_.pauseChecks);
  EXPECT_EQ(0, callback_.progressWhilePaused);
  EXPECT_TRUE(Downloaded() == bytes);
}

}  // namespace
}  // namespace updater
