#include "transfer/HttpOutcome.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TransferTestSupport.h"
#include "transfer/SourceUrl.h"

namespace updater {
namespace {

using test::Narrow;

TEST(HttpOutcomeTest, StatusDecidesResultTotalAndOffset) {
  // status, content length, Content-Range, resume offset -> result, total, offset, whole file
  const std::tuple<DWORD, DWORD, const wchar_t*, DWORD, ResultCode, DWORD, DWORD, bool> cases[] = {
      {200, 1500, L"", 0, kSuccess, 1500, 0, false},
      {200, 1500, L"", 1000, kSuccess, 1500, 0, false},  // Range ignored: the file starts over
      {200, 1000, L"", 1000, kNothingBeyondLocal, 1000, 1000, false},
      {200, 0, L"", 1000, kSuccess, 0, 0, false},
      {206, 500, L"bytes 1000-1499/1500", 1000, kSuccess, 1500, 1000, false},
      // Chunked: the range alone tells the size, when the server knows it.
      {206, 0, L"bytes 1000-1499/1500", 1000, kSuccess, 1500, 1000, false},
      {206, 0, L"bytes 1000-1499/*", 1000, kSuccess, 0, 1000, false},
      {206, 500, L"bytes 1000-1499/*", 1000, kSuccess, 1500, 1000, false},
      // Not said where it starts, or elsewhere than the partial file ends: the whole file again.
      {206, 0, L"", 1000, kSuccess, 0, 0, true},
      {206, 500, L"", 1000, kSuccess, 0, 0, true},
      {206, 1000, L"bytes 500-1499/1500", 1000, kSuccess, 0, 0, true},
      {206, 500, L"", 0, kSuccess, 500, 0, false},
      {206, 500, L"bytes 500-999/1500", 0, kInvalidServerResponse, 0, 0, false},
      {304, 0, L"", 0, kNotModified, 0, 0, false},
      {401, 0, L"", 0, kCredentialsNeeded, 0, 0, false},
      {403, 0, L"", 0, kForbidden, 0, 0, false},
      {404, 0, L"", 0, kResourceNotFound, 0, 0, false},
      {410, 0, L"", 0, kResourceNotFound, 0, 0, false},
      {416, 0, L"", 1000, kNothingBeyondLocal, 0, 1000, false},
      {416, 0, L"bytes */1500", 1000, kNothingBeyondLocal, 0, 1000, false},
      {416, 0, L"bytes */1000", 1000, kSuccess, 1000, 1000, false},  // all is on disk
      {300, 0, L"", 0, kInvalidServerResponse, 0, 0, false},
      {500, 300, L"", 0, kInvalidServerResponse, 300, 0, false},
  };
  for (const auto& [status, length, range, resume, result, total, offset, whole] : cases) {
    const HttpOutcome outcome = DecideHttpStatus(status, length, range, resume);
    EXPECT_EQ(std::make_tuple(result, total, offset, whole),
              std::make_tuple(outcome.result, outcome.total, outcome.resumeOffset,
                              outcome.wholeFile))
        << "status " << status << " " << Narrow(range) << " offset " << resume;
  }
}

TEST(HttpOutcomeTest, RangeAnswerMustNameExactlyTheRangeAsked) {
  // Bytes 1000-1499 of a file of 1500 asked: status, Content-Range -> result
  const std::tuple<DWORD, const wchar_t*, ResultCode> cases[] = {
      {206, L"bytes 1000-1499/1500", kSuccess},
      {206, L"bytes 1000-1499/*", kSuccess},
      {206, L"bytes 1000-1499/1600", kInvalidServerResponse},  // another build of the file
      {206, L"bytes 1000-1498/1500", kInvalidServerResponse},
      {206, L"bytes 999-1499/1500", kInvalidServerResponse},
      {206, L"", kInvalidServerResponse},
      {200, L"", kResumeNotSupported},
      {204, L"", kInvalidServerResponse},
      {401, L"", kCredentialsNeeded},
      {404, L"", kResourceNotFound},
  };
  for (const auto& [status, range, result] : cases) {
    const HttpOutcome outcome = DecideRangeAnswer(status, range, ByteRange{1000, 1499}, 1500);
    EXPECT_EQ(result, outcome.result) << status << " " << Narrow(range);
    EXPECT_EQ(result == kSuccess ? 500u : 0u, outcome.total) << status << " " << Narrow(range);
  }
}

TEST(HttpOutcomeTest, ContentRangeGivesFirstLastAndSize) {
  // text, parsed, first, last, size (0: unknown)
  const std::tuple<const wchar_t*, bool, DWORD, DWORD, DWORD> cases[] = {
      {L"bytes 0-9/1500", true, 0, 9, 1500},
      {L"bytes 1000-1499/1500", true, 1000, 1499, 1500},
      {L"bytes 5-9/*", true, 5, 9, 0},
      {L"bytes 10-9/1500", false, 7, 7, 7},
      {L"bytes 0-1500/1500", false, 7, 7, 7},
      {L"bytes 5-/10", false, 7, 7, 7},
      {L"bytes */1500", false, 7, 7, 7},
      {L"bytes 0-9/99999999999", false, 7, 7, 7},
      {L"bytes 0-\u00B9/1500", false, 7, 7, 7},  // superscript one, a digit to the C runtime
      {L"items 0-9/10", false, 7, 7, 7},
      {L"", false, 7, 7, 7},
  };
  for (const auto& [text, parsed, first, last, size] : cases) {
    ContentRange range{7, 7, 7};
    EXPECT_EQ(parsed, ParseContentRange(text, &range)) << Narrow(text);
    EXPECT_EQ(std::make_tuple(first, last, size), std::make_tuple(range.first, range.last, range.size))
        << Narrow(text);
  }
}

TEST(HttpOutcomeTest, HeadersCarryRangeAndIfModifiedSince) {
  const SYSTEMTIME june = {2021, 6, 0, 15, 12, 0, 0, 0};  // day of week 0: the 15th was a Tuesday
  EXPECT_EQ(L"", BuildRequestHeaders(0, {}));
  EXPECT_EQ(L"Range: bytes=7-\r\nIf-Modified-Since: Tue, 15 Jun 2021 12:00:00 GMT\r\n",
            BuildRequestHeaders(7, june));
  EXPECT_EQ(L"Range: bytes=0-0\r\n", FormatRangeHeader({0, 0}));
  EXPECT_EQ(L"Range: bytes=65536-4294967294\r\n", FormatRangeHeader({65536, 4294967294u}));
}

TEST(HttpOutcomeTest, ChallengeProxyAndRangeTextsYieldTheirParts) {
  test::ExpectEachText({{L"Basic realm=\"Updater Test\"", L"Updater Test"},
                        {L"Digest qop=\"auth\", Realm=\"a, b\", nonce=\"x\"", L"a, b"},
                        {L"Basic realm=plain, charset=\"UTF-8\"", L"plain"},
                        {L"Basic myrealm=\"no\"", L""}},
                       ParseRealm);
  test::ExpectEachText({{L"http://proxy.example:8080", L"proxy.example"},
                        {L"http=10.0.0.1:3128", L"10.0.0.1"},
                        {L"proxyhost", L"proxyhost"}},
                       ProxyHostOf);
  const std::tuple<const wchar_t*, bool, DWORD> ranges[] = {
      {L"bytes */1500", true, 1500}, {L"bytes */0", true, 0},  {L"bytes 0-9/1500", false, 7},
      {L"bytes */", false, 7},       {L"bytes */99999999999", false, 7}, {L"", false, 7}};
  for (const auto& [text, parsed, size] : ranges) {
    DWORD read = 7;
    EXPECT_EQ(parsed, ParseUnsatisfiedRangeSize(text, &read)) << Narrow(text);
    EXPECT_EQ(size, read) << Narrow(text);
  }
}

TEST(SourceUrlTest, SplitsUrlsIntoTheirPartsAndFileUrlsIntoPaths) {
  // url, result, kind, port, "host|user|password|path"
  using K = SourceKind;
  const std::tuple<const wchar_t*, ResultCode, K, INTERNET_PORT, const wchar_t*> cases[] = {
      {L"http://example.com/a/b.exe?x=1", kSuccess, K::Http, 80, L"example.com|||/a/b.exe?x=1"},
      {L"https://u:p@127.0.0.1:18443/s", kSuccess, K::Https, 18443, L"127.0.0.1|u|p|/s"},
      {L"ftp://127.0.0.1:18021/d/f.bin", kSuccess, K::Ftp, 18021, L"127.0.0.1|||/d/f.bin"},
      {L"http://host", kSuccess, K::Http, 80, L"host|||/"},
      {L"file:///C:/d/a%20b", kSuccess, K::File, 0, L"|||C:\\d\\a b"},
      {L"gopher://host/x", kUnsupportedScheme, K::Http, 0, L""},
  };
  for (const auto& [url, result, kind, port, parts] : cases) {
    SourceUrl u;
    ASSERT_EQ(result, ParseSourceUrl(url, &u)) << Narrow(url);
    if (result != kSuccess) continue;
    const std::wstring read = u.host + L"|" + u.user + L"|" + u.password + L"|" + u.path;
    EXPECT_EQ(std::make_tuple(kind, port, std::wstring(parts)),
              std::make_tuple(u.kind, u.port, read)) << Narrow(url);
  }
  test::ExpectEachText({{L"file://C:/x", L"C:\\x"},
                        {L"FILE:d:\\x", L"d:\\x"},
                        {L"file:////server/share/dir/f", L"\\\\server\\share\\dir\\f"},
                        {L"file://server/share/f.msi", L"\\\\server\\share\\f.msi"},
                        {L"file:///C:/caf%C3%A9%2.txt", L"C:\\caf\u00e9%2.txt"},
                        {L"file:///caf%C3%A9.txt", L""}, {L"file://server", L""},
                        {L"file:///relative/path", L""}, {L"http://host/x", L""}},
                       FileUrlToPath);
}

TEST(SourceUrlTest, RedirectsLeadOnlyToWebUrls) {
  const wchar_t from[] = L"http://a.example:81/d/f.bin?x=1";
  // Location, result, URL led to
  const std::tuple<const wchar_t*, ResultCode, const wchar_t*> cases[] = {
      {L"https://b.example/g.bin", kSuccess, L"https://b.example/g.bin"},
      {L"/g%20h.bin", kSuccess, L"http://a.example:81/g%20h.bin"},
      {L"g.bin?y=2", kSuccess, L"http://a.example:81/d/g.bin?y=2"},
      {L"../g.bin", kSuccess, L"http://a.example:81/g.bin"},
      {L"ftp://b.example/g.bin", kRedirectFailed, L""},
      {L"file:///C:/windows/win.ini", kRedirectFailed, L""},
  };
  for (const auto& [location, result, url] : cases) {
    std::wstring to;
    EXPECT_EQ(result, ResolveRedirect(from, location, &to)) << Narrow(location);
    EXPECT_EQ(std::wstring(url), to) << Narrow(location);
  }
}

}  // namespace
}  // namespace updater
