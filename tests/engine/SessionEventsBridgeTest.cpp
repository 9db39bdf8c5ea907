#include "engine/SessionEventsBridge.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "transfer/CredentialProvider.h"

namespace updater {
namespace {

// A front end that answers as the test sets up and writes down what it was asked.
class AnsweringFrontEnd : public SessionEvents {
 public:
  bool AcceptCertificate(ResultCode error, HINTERNET) override {
    certificateErrors.push_back(error);
    return true;
  }
  bool AskCredentials(const CredentialsQuestion& question, CredentialsAnswer* answer) override {
    asked.push_back(question);
    if (!answers) return false;
    *answer = typed;
    return true;
  }
  bool answers = false;
  CredentialsAnswer typed;
  std::vector<ResultCode> certificateErrors;
  std::vector<CredentialsQuestion> asked;
};

TEST(SessionEventsBridgeTest, TheCredentialsAnswerBecomesTheProvidersAndATickedPairIsRemembered) {
  struct Case { bool answers; CredentialsAnswer typed; const wchar_t* entered; bool remembered; };
  const Case cases[] = {
      {false, {L"dave", L"secret", true}, nullptr, false},
      {true, {L"alice", L"wonderland", true}, L"alice:wonderland", true},
      {true, {L"bob", L"", true}, L"bob:", false},
      {true, {L"carol", L"secret", false}, L"carol:secret", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::Narrow(c.typed.user));
    CredentialProvider provider;
    std::vector<Credential> remembered;
    provider.SetRememberer([&](const std::wstring& user, const std::wstring& password) {
      remembered.push_back({user, password});
      return true;
    });
    provider.SetServer(L"http://127.0.0.1:8080/auth/updates.ini");
    provider.SetRealm(L"Updater Test");
    provider.SetProxyHost(L"proxy.example");
    AnsweringFrontEnd frontEnd;
    frontEnd.answers = c.answers;
    frontEnd.typed = c.typed;
    SessionEventsBridge bridge(&frontEnd);

    EXPECT_EQ(c.entered != nullptr, bridge.ProvideCredentials(provider));
    ASSERT_EQ(1u, frontEnd.asked.size());
    EXPECT_EQ(L"Updater Test", frontEnd.asked[0].realm);
    EXPECT_EQ(L"http://127.0.0.1:8080/auth/updates.ini", frontEnd.asked[0].server);
    EXPECT_EQ(L"proxy.example", frontEnd.asked[0].proxyHost);
    std::wstring user, password;
    const bool entered = provider.GetEnteredCredentials(&user, &password);
    EXPECT_EQ(c.entered != nullptr, entered);
    EXPECT_EQ(c.entered != nullptr ? c.entered : L"", entered ? user + L":" + password : L"");
    EXPECT_EQ(c.remembered ? 1u : 0u, remembered.size());
  }
}

TEST(SessionEventsBridgeTest, OnlyCertificateErrorsOfARequestReachTheFrontEnd) {
  const HINTERNET request = reinterpret_cast<HINTERNET>(static_cast<std::uintptr_t>(0x10));
  struct Case { ResultCode error; HINTERNET request; bool asked; };
  const Case cases[] = {
      {ERROR_INTERNET_INVALID_CA, request, true},
      {ERROR_INTERNET_SEC_CERT_CN_INVALID, request, true},
      {ERROR_INTERNET_INVALID_CA, nullptr, false},
      {ERROR_INTERNET_CANNOT_CONNECT, request, false},
  };
  for (const Case& c : cases) {
    AnsweringFrontEnd frontEnd;
    SessionEventsBridge bridge(&frontEnd);
    EXPECT_EQ(c.asked, bridge.AcceptCertificate(c.error, c.request)) << c.error;
    EXPECT_EQ(c.asked ? 1u : 0u, frontEnd.certificateErrors.size()) << c.error;
  }
}

TEST(SessionEventsBridgeTest, WithoutAFrontEndNothingIsAcceptedOrEntered) {
  AnsweringFrontEnd frontEnd;
  SessionEventsBridge bridge(&frontEnd);
  bridge.SetTarget(nullptr);
  CredentialProvider provider;
  EXPECT_FALSE(bridge.ProvideCredentials(provider));
  EXPECT_FALSE(bridge.AcceptCertificate(ERROR_INTERNET_INVALID_CA,
                                        reinterpret_cast<HINTERNET>(static_cast<std::uintptr_t>(1))));
  EXPECT_EQ(MismatchAnswer::Keep, bridge.AnswerMismatch(kSha256Mismatch));
  EXPECT_FALSE(bridge.IsCanceled());
  EXPECT_TRUE(frontEnd.asked.empty() && frontEnd.certificateErrors.empty());
}

}  // namespace
}  // namespace updater
