#include "app/RunMessages.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ResultText.h"

namespace updater {
namespace {

using test::Narrow;

TEST(RunMessagesTest, CheckErrorBoxAddsTheProxyHintOnlyForWinInetErrorsWithAProxy) {
  const std::wstring hint =
      L"You have a custom proxy \"proxy:8080\". The error may be caused by a non working proxy.";
  EXPECT_EQ(L"Checking for Updates - " + ResultText(12029) + hint,
            CheckErrorBoxText(12029, L"proxy:8080", L""));
  EXPECT_EQ(L"Checking for Updates - Invalid client configuration file",
            CheckErrorBoxText(kInvalidClientConfig, L"proxy:8080", L""));
  EXPECT_EQ(L"Checking for Updates - Invalid client configuration file\n\nC:\\u.ini: no URL",
            CheckErrorBoxText(kInvalidClientConfig, L"", L"C:\\u.ini: no URL"));
  EXPECT_EQ(std::wstring::npos, CheckErrorBoxText(12029, L"", L"").find(L"custom proxy"));
  // 12176 and above are not connection errors a proxy could cause.
  EXPECT_EQ(std::wstring::npos, CheckErrorBoxText(12176, L"proxy:8080", L"").find(L"custom proxy"));
}

TEST(RunMessagesTest, FailureLogLineShowsWindowsCodesInDecimalOnOneLineAfterTheDetail) {
  const std::wstring line = RunFailureLogLine(120, L"");
  EXPECT_EQ(line.size() - 15, line.find(L" LastError: 120")) << Narrow(line);
  EXPECT_EQ(std::wstring::npos, line.find_first_of(L"\r\n")) << Narrow(line);
  EXPECT_EQ(L"Invalid client configuration file: C:\\u.ini: no URL LastError: 0xE0000007",
            RunFailureLogLine(kInvalidClientConfig, L"C:\\u.ini: no URL"));
}

}  // namespace
}  // namespace updater
