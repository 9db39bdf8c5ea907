#include "transfer/RetryPolicy.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <cwchar>
#include <iterator>

#include "transfer/FtpReply.h"

namespace updater {
namespace {

TEST(RetryPolicyTest, NextUrlOnlyForConnectionFailuresOrMissingFilesWithSeveralUrls) {
  struct Case {
    ResultCode result;
    bool oneUrl, twoUrls;
  };
  const Case cases[] = {
      {ERROR_INTERNET_CANNOT_CONNECT, true, true}, {ERROR_INTERNET_NAME_NOT_RESOLVED, true, true},
      {kResourceNotFound, false, true},            {ERROR_PATH_NOT_FOUND, false, true},
      {ERROR_INTERNET_EXTENDED_ERROR, false, true}, {ERROR_INTERNET_ITEM_NOT_FOUND, false, true},
      {ERROR_FTP_DROPPED, false, true},            {kSuccess, false, false},
      {kForbidden, false, false},                  {kCredentialsNeeded, false, false},
      {ERROR_INTERNET_TIMEOUT, false, false},      {kCanceled, false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.oneUrl, ShouldTryNextUrl(c.result, 1)) << std::hex << c.result;
    EXPECT_EQ(c.twoUrls, ShouldTryNextUrl(c.result, 2)) << std::hex << c.result;
  }
}

TEST(RetryPolicyTest, DroppedStreamsAndCertificateErrorsAreRecognised) {
  for (ResultCode dropped : {12002u, 12030u, 12031u, 12163u, 10060u}) {
    EXPECT_TRUE(IsDroppedStream(dropped)) << dropped;
    EXPECT_FALSE(IsCertificateError(dropped)) << dropped;
  }
  for (ResultCode certificate : {12045u, 12044u, 12038u, 12037u}) {
    EXPECT_TRUE(IsCertificateError(certificate)) << certificate;
    EXPECT_FALSE(IsDroppedStream(certificate)) << certificate;
  }
  EXPECT_FALSE(IsDroppedStream(kSuccess));
  EXPECT_FALSE(IsCertificateError(12029));
}

TEST(RetryPolicyTest, GivesUpAfterTheLimitOfAttemptsThatAddedNothing) {
  // Each step: size on disk after an attempt, and whether another attempt is allowed.
  struct Step {
    std::uint64_t size;
    bool again;
  };
  const Step steps[] = {
      {100, true},   // grew from the start size 50
      {100, true},   // 1 fruitless
      {100, true},   // 2 fruitless
      {150, true},   // grew: the count starts over
      {150, true},   // 1
      {120, true},   // smaller than the best (restart from 0): still fruitless, 2
      {159, false},  // less than the minimum gain of 10: 3 in a row, give up
  };
  FruitlessAttempts attempts(3, 10);
  attempts.Start(50);
  for (size_t i = 0; i < std::size(steps); ++i) {
    EXPECT_EQ(steps[i].again, attempts.MayTryAgain(steps[i].size)) << "step " << i;
  }
}

TEST(RetryPolicyTest, FtpRepliesYieldCodesAndSizes) {
  struct Case {
    const wchar_t* text;
    int code;
    bool hasSize;
    DWORD size;
  };
  const Case cases[] = {
      {L"350 Restarting at 1000.", 350, false, 0}, {L"\r\n350 Restarting", 350, false, 0},
      {L"501 Can't REST in ASCII mode.", 501, false, 0}, {L"213 3145728", 213, true, 3145728},
      {L"213  42\r\n", 213, true, 42}, {L"213 ", 213, false, 0},
      {L"213 99999999999", 213, false, 0},
      {L"550 SIZE not allowed in ASCII mode.", 550, false, 0}, {L"2130 x", 0, false, 0},
      {L"", 0, false, 0},
  };
  for (const Case& c : cases) {
    const std::string text(c.text, c.text + wcslen(c.text));
    EXPECT_EQ(c.code, ParseFtpReplyCode(c.text)) << text;
    DWORD size = 0;
    EXPECT_EQ(c.hasSize, ParseFtpSize(c.text, &size)) << text;
    if (c.hasSize) {
      EXPECT_EQ(c.size, size) << text;
    }
  }
  EXPECT_EQ(0, ParseFtpReplyCode(nullptr));
}

TEST(RetryPolicyTest, RestIsAcceptedByItsReplyOrElseByTheCommandsSuccess) {
  struct Case {
    bool succeeded;
    const wchar_t* text;
    bool accepted;
  };
  const Case cases[] = {
      {true, L"350 Restarting at 1000.", true}, {true, L"200 OK", false},
      {false, L"501 Can't REST in ASCII mode.", false}, {true, L"", true},
      {false, L"", false}, {true, nullptr, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.accepted, IsRestAccepted(c.succeeded, c.text))
        << c.succeeded << " " << (c.text != nullptr ? c.text[0] : L'-');
  }
}

}  // namespace
}  // namespace updater
