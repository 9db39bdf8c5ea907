#include "transfer/RetryPolicy.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include <tuple>

#include "TestSupport.h"
#include "transfer/FtpReply.h"

namespace updater {
namespace {

TEST(RetryPolicyTest, NextUrlOnlyForConnectionFailuresOrMissingFilesWithSeveralUrls) {
  // result, with one URL, with two
  const std::tuple<ResultCode, bool, bool> cases[] = {
      {ERROR_INTERNET_CANNOT_CONNECT, true, true}, {ERROR_INTERNET_NAME_NOT_RESOLVED, true, true},
      {kResourceNotFound, false, true},            {ERROR_PATH_NOT_FOUND, false, true},
      {ERROR_INTERNET_EXTENDED_ERROR, false, true}, {ERROR_INTERNET_ITEM_NOT_FOUND, false, true},
      {ERROR_FTP_DROPPED, false, true},            {ERROR_FILE_NOT_FOUND, false, true},
      {kSuccess, false, false},
      {kForbidden, false, false},                  {kCredentialsNeeded, false, false},
      {ERROR_INTERNET_TIMEOUT, false, false},      {kCanceled, false, false},
  };
  for (const auto& [result, oneUrl, twoUrls] : cases) {
    EXPECT_EQ(oneUrl, ShouldTryNextUrl(result, 1)) << std::hex << result;
    EXPECT_EQ(twoUrls, ShouldTryNextUrl(result, 2)) << std::hex << result;
  }
  for (const ResultCode dropped : {12002u, 12030u, 12031u, 12163u, 10060u}) {
    EXPECT_TRUE(IsDroppedStream(dropped) && !IsCertificateError(dropped)) << dropped;
  }
  for (const ResultCode certificate : {12045u, 12044u, 12038u, 12037u}) {
    EXPECT_TRUE(IsCertificateError(certificate) && !IsDroppedStream(certificate)) << certificate;
  }
  EXPECT_FALSE(IsDroppedStream(kSuccess) || IsCertificateError(12029));
}

TEST(RetryPolicyTest, FtpRepliesYieldCodesSizesAndTheRestAnswer) {
  // text, code, whether it holds a size, the size
  const std::tuple<const wchar_t*, int, bool, DWORD> cases[] = {
      {L"350 Restarting at 1000.", 350, false, 0}, {L"\r\n350 Restarting", 350, false, 0},
      {L"213 3145728", 213, true, 3145728},        {L"213  42\r\n", 213, true, 42},
      {L"213 ", 213, false, 0},                    {L"213 99999999999", 213, false, 0},
      {L"2130 x", 0, false, 0},                    {L"", 0, false, 0},
      {L"21\u00B3 5", 0, false, 0},                {L"213 \u00B2", 213, false, 0},
  };
  for (const auto& [text, code, hasSize, size] : cases) {
    EXPECT_EQ(code, ParseFtpReplyCode(text)) << test::Narrow(text);
    DWORD read = 0;
    EXPECT_EQ(hasSize, ParseFtpSize(text, &read)) << test::Narrow(text);
    EXPECT_EQ(size, read) << test::Narrow(text);
  }
  EXPECT_EQ(0, ParseFtpReplyCode(nullptr));
  // A REST is accepted by its 350 reply, or, without reply text, by the command's success.
  const std::tuple<bool, const wchar_t*, bool> rests[] = {
      {true, L"350 Restarting at 1000.", true}, {true, L"200 OK", false},
      {false, L"501 Can't REST in ASCII mode.", false}, {true, L"", true},
      {false, L"", false}, {true, nullptr, true}};
  for (const auto& [succeeded, text, accepted] : rests) {
    EXPECT_EQ(accepted, IsRestAccepted(succeeded, text)) << succeeded << (text ? "" : " null");
  }
}

}  // namespace
}  // namespace updater
