#include <gtest/gtest.h>

#include "app/CredentialsArgument.h"
#include "transfer/CredentialProvider.h"
#include "transfer/CredentialsArgumentText.h"
#include "transfer/ProtectedText.h"

namespace updater {
namespace {

const Credential kNone{L"-", L"-"};

Credential Stored(CredentialProvider& provider) {
  Credential c;
  return provider.GetStoredCredentials(&c.user, &c.password) ? c : kNone;
}

Credential Entered(CredentialProvider& provider) {
  Credential c;
  return provider.GetEnteredCredentials(&c.user, &c.password) ? c : kNone;
}

// Lets the dialog answer `answer`, or cancel when null; records what it showed and was asked to
// remember.
void Script(CredentialProvider* provider, const EnteredCredentials* const* answer,
            std::wstring* shown, std::vector<Credential>* remembered) {
  provider->SetDialog([=](HWND, const std::wstring& realm, const std::wstring& server,
                          const std::wstring& proxyHost, EnteredCredentials* entered) {
    *shown = realm + L"|" + server + L"|" + proxyHost;
    if (*answer) *entered = **answer;
    return *answer != nullptr;
  });
  provider->SetRememberer([=](const std::wstring& user, const std::wstring& password) {
    remembered->push_back({user, password});
    return true;
  });
}

TEST(CredentialProviderTest, StoredEntriesAreOfferedInOrderOncePerRequest) {
  CredentialProvider provider;
  provider.AddCredentials({{L"alice", L"a"}, {L"bob", L"b"}});
  for (int request = 0; request < 2; ++request) {
    provider.BeginRequest();
    EXPECT_EQ((Credential{L"alice", L"a"}), Stored(provider)) << "request " << request;
    provider.CredentialsUsed();
    EXPECT_EQ((Credential{L"bob", L"b"}), Stored(provider));
    provider.CredentialsUsed();
    provider.CredentialsUsed();
    EXPECT_EQ(kNone, Stored(provider));
  }
  EXPECT_EQ(kNone, Entered(provider)) << "nothing entered yet";
  EXPECT_FALSE(provider.AskUser(nullptr)) << "without a dialog nobody can answer";
}

TEST(CredentialProviderTest, AskUserAddsOrCorrectsTheEnteredEntry) {
  CredentialProvider provider;
  provider.AddCredentials({{L"alice", L"old"}});
  const EnteredCredentials* answer = nullptr;
  std::wstring shown;
  std::vector<Credential> remembered;
  Script(&provider, &answer, &shown, &remembered);
  provider.SetRealm(L"Files");
  provider.SetServer(L"http://host/u.ini");
  provider.SetProxyHost(L"proxy");

  EXPECT_FALSE(provider.AskUser(nullptr));
  EXPECT_EQ(L"Files|http://host/u.ini|proxy", shown);
  EXPECT_EQ(kNone, Entered(provider)) << "a cancelled dialog changes nothing";

  const EnteredCredentials answers[] = {
      {L"bob", L"b", true}, {L"alice", L"new", false}, {L"carol", L"", true}, {L"", L"x", true}};
  const Credential expectedEntered[] = {
      {L"bob", L"b"}, {L"alice", L"new"}, {L"carol", L""}, {L"", L"x"}};
  for (size_t i = 0; i < 4; ++i) {
    answer = &answers[i];
    ASSERT_TRUE(provider.AskUser(nullptr));
    EXPECT_EQ(expectedEntered[i], Entered(provider)) << "answer " << i;
  }
  EXPECT_EQ((std::vector<Credential>{
                {L"alice", L"new"}, {L"bob", L"b"}, {L"carol", L""}, {L"", L"x"}}),
            provider.Credentials())
      << "a corrected password must replace the one that failed";
  EXPECT_EQ((std::vector<Credential>{{L"bob", L"b"}}), remembered)
      << "only ticked credentials with user name and password are remembered";
}

TEST(CredentialProviderTest, CredentialsArgumentCarriesTheEnteredOrFirstListedPair) {
  CredentialProvider provider;
  std::wstring argument = L"stale";
  ASSERT_EQ(kSuccess, BuildCredentialsArgument(provider, &argument));
  EXPECT_EQ(L"", argument) << "no user name known";

  provider.AddCredentials({{L"alice", L"s\x00E9cret"}});
  ASSERT_EQ(kSuccess, BuildCredentialsArgument(provider, &argument));
  CredentialsArgument parsed;
  ASSERT_EQ(kSuccess, ParseCredentialsArgument(argument, &parsed));
  EXPECT_EQ(L"alice", parsed.userName);
  std::wstring password;
  ASSERT_EQ(kSuccess, UnprotectText(parsed.encryptedPassword, &password));
  EXPECT_EQ(L"s\x00E9cret", password);

  const EnteredCredentials entered{L"bob", L"", false};
  const EnteredCredentials* answer = &entered;
  std::wstring shown;
  std::vector<Credential> remembered;
  Script(&provider, &answer, &shown, &remembered);
  ASSERT_TRUE(provider.AskUser(nullptr));
  ASSERT_EQ(kSuccess, BuildCredentialsArgument(provider, &argument));
  EXPECT_EQ(L"bob:", argument) << "the entered pair wins; an empty password has no digits";
}

}  // namespace
}  // namespace updater
