#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/CredentialsArgument.h"
#include "base/ResultText.h"
#include "app/RunMessages.h"

namespace updater {
namespace {

TEST(RunMessagesTest, CheckErrorBoxAddsTheProxyHintOnlyForWinInetErrorsWithAProxy) {
  EXPECT_EQ(L"Checking for Updates - Invalid client configuration file",
            CheckErrorBoxText(kInvalidClientConfig, L"proxy:8080"));

  const std::wstring hint =
      L"You have a custom proxy \"proxy:8080\". The error may be caused by a non working proxy.";
  const std::wstring withProxy = CheckErrorBoxText(12029, L"proxy:8080");
  EXPECT_EQ(0u, withProxy.find(L"Checking for Updates - " + ResultText(12029)));
  EXPECT_EQ(withProxy.size() - hint.size(), withProxy.rfind(hint)) << test::Narrow(withProxy);

  EXPECT_EQ(std::wstring::npos, CheckErrorBoxText(12029, L"").find(L"custom proxy"));
  // 12176 and above are not connection errors a proxy could cause.
  EXPECT_EQ(std::wstring::npos, CheckErrorBoxText(12176, L"proxy:8080").find(L"custom proxy"));
}

TEST(RunMessagesTest, FailureLogLineShowsOwnCodesInHexAndOthersInDecimal) {
  EXPECT_EQ(L"Invalid command line LastError: 0xE0000006", RunFailureLogLine(kInvalidCommandLine));
  EXPECT_EQ(L"0xE0000010 LastError: 0xE0000010", RunFailureLogLine(0xE0000010));
  const std::wstring notImplemented = RunFailureLogLine(120);
  EXPECT_EQ(std::wstring::npos, notImplemented.find_first_of(L"\r\n"))
      << "the system text's line break must not split the log line";
  EXPECT_EQ(notImplemented.size() - 15, notImplemented.find(L" LastError: 120"));
}

TEST(RunMessagesTest, OnlyWebLinksAreOpened) {
  struct Case {
    const wchar_t* link;
    bool openable;
  };
  const Case cases[] = {
      {L"https://example.invalid/news", true},
      {L"HTTP://example.invalid/", true},
      {L"http://", false},
      {L"C:\\Windows\\System32\\cmd.exe", false},
      {L"file:///C:/Windows/notepad.exe", false},
      {L"javascript:alert(1)", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.openable, IsOpenableLink(c.link)) << test::Narrow(c.link);
  }
}

TEST(RunMessagesTest, CredentialsArgumentSplitsAtTheFirstColonAndDecodesHex) {
  CredentialsArgument parsed;
  ASSERT_EQ(kSuccess, ParseCredentialsArgument(L"DOMAIN\\user:00a1FF7f", &parsed));
  EXPECT_EQ(L"DOMAIN\\user", parsed.userName);
  EXPECT_EQ((std::vector<unsigned char>{0x00, 0xA1, 0xFF, 0x7F}), parsed.encryptedPassword);

  ASSERT_EQ(kSuccess, ParseCredentialsArgument(L":", &parsed));
  EXPECT_TRUE(parsed.userName.empty());
  EXPECT_TRUE(parsed.encryptedPassword.empty());

  for (const wchar_t* malformed : {L"user", L"user:abc", L"user:0g", L"user:12:34", L"user: 1"}) {
    CredentialsArgument untouched;
    untouched.userName = L"kept";
    EXPECT_EQ(kInvalidCommandLine, ParseCredentialsArgument(malformed, &untouched))
        << test::Narrow(malformed);
    EXPECT_EQ(L"kept", untouched.userName) << "a failed parse must leave the result alone";
  }
}

}  // namespace
}  // namespace updater
