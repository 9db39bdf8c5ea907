#include "transfer/HttpOutcome.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TransferTestSupport.h"

namespace updater {
namespace {

TEST(HttpOutcomeTest, StatusDecidesResultTotalAndOffset) {
  struct Case {
    DWORD status, contentLength, resumeOffset;
    ResultCode result;
    DWORD total, offset;
  };
  const Case cases[] = {
      {200, 1500, 0, kSuccess, 1500, 0},
      {200, 1500, 1000, kSuccess, 1500, 0},  // Range ignored: the file starts over
      {200, 800, 1000, kNothingBeyondLocal, 800, 1000},
      {200, 1000, 1000, kNothingBeyondLocal, 1000, 1000},
      {200, 0, 1000, kSuccess, 0, 0},        {206, 500, 1000, kSuccess, 1500, 1000},
      {206, 0, 1000, kSuccess, 0, 0},        {304, 0, 0, kNotModified, 0, 0},
      {401, 0, 0, kCredentialsNeeded, 0, 0}, {407, 0, 0, kCredentialsNeeded, 0, 0},
      {403, 0, 0, kForbidden, 0, 0},         {404, 0, 0, kResourceNotFound, 0, 0},
      {410, 0, 0, kResourceNotFound, 0, 0},  {416, 0, 1000, kNothingBeyondLocal, 0, 1000},
      {203, 700, 1000, kSuccess, 700, 0},    {500, 300, 0, kInvalidServerResponse, 300, 0},
      {302, 0, 0, kInvalidServerResponse, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "status " << c.status << " offset " << c.resumeOffset);
    const HttpOutcome outcome = DecideHttpStatus(c.status, c.contentLength, c.resumeOffset);
    EXPECT_EQ(c.result, outcome.result);
    EXPECT_EQ(c.total, outcome.total);
    EXPECT_EQ(c.offset, outcome.resumeOffset);
  }
}

TEST(HttpOutcomeTest, HeadersCarryRangeAndIfModifiedSince) {
  const SYSTEMTIME none = {};
  // Day of week 0 is wrong on purpose: the 15th was a Tuesday.
  const SYSTEMTIME june = {2021, 6, 0, 15, 12, 0, 0, 0};
  struct Case {
    DWORD offset;
    const SYSTEMTIME* since;
    const wchar_t* headers;
  };
  const Case cases[] = {
      {0, &none, L""},
      {1000, &none, L"Range: bytes=1000-\r\n"},
      {0, &june, L"If-Modified-Since: Tue, 15 Jun 2021 12:00:00 GMT\r\n"},
      {7, &june, L"Range: bytes=7-\r\nIf-Modified-Since: Tue, 15 Jun 2021 12:00:00 GMT\r\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::wstring(c.headers), BuildRequestHeaders(c.offset, *c.since))
        << test::Narrow(c.headers);
  }
}

TEST(HttpOutcomeTest, ChallengeAndProxyTextsYieldTheirParts) {
  test::ExpectEachText({{L"Basic realm=\"Updater Test\"", L"Updater Test"},
                        {L"Digest qop=\"auth\", Realm=\"a, b\", nonce=\"x\"", L"a, b"},
                        {L"Basic realm=plain, charset=\"UTF-8\"", L"plain"},
                        {L"Basic charset=\"UTF-8\"", L""},
                        {L"Basic myrealm=\"no\"", L""},
                        {L"", L""}},
                       ParseRealm);
  test::ExpectEachText({{L"http://proxy.example:8080", L"proxy.example"},
                        {L"http=10.0.0.1:3128", L"10.0.0.1"},
                        {L"127.0.0.1:18128", L"127.0.0.1"},
                        {L"proxyhost", L"proxyhost"}},
                       ProxyHostOf);
}

TEST(HttpOutcomeTest, UnsatisfiedRangeGivesTheFileSize) {
  struct Case {
    const wchar_t* text;
    bool parsed;
    DWORD size;
  };
  const Case cases[] = {
      {L"bytes */1500", true, 1500}, {L"bytes */0", true, 0},         {L"bytes 0-9/1500", false, 0},
      {L"bytes */", false, 0},       {L"bytes */99999999999", false, 0}, {L"", false, 0},
  };
  for (const Case& c : cases) {
    DWORD size = 7;
    EXPECT_EQ(c.parsed, ParseUnsatisfiedRangeSize(c.text, &size)) << test::Narrow(c.text);
    if (c.parsed) {
      EXPECT_EQ(c.size, size) << test::Narrow(c.text);
    }
  }
}

}  // namespace
}  // namespace updater
