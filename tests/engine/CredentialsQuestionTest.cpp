#include "engine/CredentialsQuestion.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(CredentialsQuestionTest, TheAskingServerIsTheProxyOrTheUrlsHost) {
  struct Case { const wchar_t* server; const wchar_t* proxyHost; const wchar_t* shown; };
  const Case cases[] = {
      {L"http://a.example/x", L"proxy.example", L"proxy.example"},
      {L"https://u@a.example:8443/x?y", L"", L"a.example"},
      {L"file://share/folder/u.ini", L"", L"share"},
      {L"C:\\u.ini", L"", L"C:\\u.ini"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shown, AskingServerName({L"realm", c.server, c.proxyHost})) << test::Narrow(c.server);
  }
}

}  // namespace
}  // namespace updater
