#include "transfer/CredentialProvider.h"

#include <windows.h>
#include <gtest/gtest.h>
#include <wincrypt.h>

#include <cstring>

#include "TestSupport.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"
#include "transfer/RememberedCredentials.h"
#include "transfer/UserDetailsValue.h"

namespace updater {
namespace {

using test::Narrow;
using Credentials = std::vector<Credential>;
const Credential kNone{L"-", L"-"};
constexpr ResultCode kInvalidData = ERROR_INVALID_DATA;

Credential Stored(CredentialProvider& provider) {
  Credential c;
  return provider.GetStoredCredentials(&c.user, &c.password) ? c : kNone;
}

Credential Entered(CredentialProvider& provider) {
  Credential c;
  return provider.GetEnteredCredentials(&c.user, &c.password) ? c : kNone;
}

TEST(CredentialProviderTest, StoredEntriesGoInOrderOncePerRequestToTheScopesServersOnly) {
  CredentialProvider provider;
  provider.SetScope(CredentialScope({L"https://Updates.example.com:8443/u.ini",
                                     L"ftp://ftp.example.com/u.ini", L"file://files/share/u.ini"},
                                    L"http=proxy.example.com:3128"));
  provider.AddCredentials({{L"alice", L"a"}, {L"bob", L"b"}});
  // server that challenges, proxy host when the proxy challenges, whether stored ones are offered
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"http://updates.example.com/setup.exe", L"", true},
      {L"ftp://FTP.example.com/setup.exe", L"", true},
      {L"file://files/share/setup.exe", L"", true},
      {L"http://elsewhere.example.net/setup.exe", L"PROXY.example.com", true},
      {L"http://elsewhere.example.net/setup.exe", L"", false},
      {L"http://updates.example.com@elsewhere.example.net/setup.exe", L"", false},
      {L"http://updates.example.com/setup.exe", L"otherproxy.example.com", false},
      {L"file:///C:/updates/setup.exe", L"", false},
  };
  for (const auto& [server, proxyHost, offered] : cases) {
    provider.BeginRequest();
    provider.SetServer(server);
    provider.SetProxyHost(proxyHost);
    EXPECT_EQ(offered ? (Credential{L"alice", L"a"}) : kNone, Stored(provider)) << Narrow(server);
  }
  provider.SetServer(L"https://updates.example.com/setup.exe");
  provider.SetProxyHost(L"");
  for (int request = 0; request < 2; ++request) {
    provider.BeginRequest();
    EXPECT_EQ((Credential{L"alice", L"a"}), Stored(provider)) << "request " << request;
    provider.CredentialsUsed();
    EXPECT_EQ((Credential{L"bob", L"b"}), Stored(provider));
    provider.CredentialsUsed();
    provider.CredentialsUsed();
    EXPECT_EQ(kNone, Stored(provider));
  }
}

TEST(CredentialProviderTest, AnAnswerAddsOrCorrectsTheEnteredEntry) {
  CredentialProvider provider;
  provider.AddCredentials({{L"alice", L"s\x00E9" L"cret"}, {L"bob", L"b"}});
  Credentials remembered;
  provider.SetRememberer([&](const std::wstring& user, const std::wstring& password) {
    remembered.push_back({user, password});
    return true;
  });
  EXPECT_EQ(kNone, Entered(provider));
  struct Answer { Credential entered; bool remember; };
  const Answer answers[] = {{{L"alice", L"new"}, false},
                            {{L"carol", L"c"}, true},
                            {{L"", L"x"}, true},
                            {{L"bob", L""}, true}};
  for (const Answer& answer : answers) {
    provider.EnterAnswer(answer.entered, answer.remember);
    EXPECT_EQ(answer.entered, Entered(provider));
  }
  EXPECT_EQ((Credentials{{L"alice", L"new"}, {L"bob", L""}, {L"carol", L"c"}, {L"", L"x"}}),
            provider.Credentials())
      << "a corrected password must replace the one that failed";
  EXPECT_EQ((Credentials{{L"carol", L"c"}}), remembered)
      << "only ticked credentials with user name and password are remembered";
}

struct RememberedSettings {
  test::ScopedClientConfig client{L"Remember"};
  const SettingsStore& settings = client.Config().Settings();
  std::wstring path = client.Key(L"Settings");

  void SetValue(const std::wstring& text) const {
    test::SetRegistryString(HKEY_CURRENT_USER, path, L"UserDetailsU", text);
  }
  Credentials Loaded(ResultCode expected = kSuccess) const {
    Credentials list;
    EXPECT_EQ(expected, LoadRememberedCredentials(settings, &list));
    return list;
  }
};

TEST(RememberedCredentialsTest, EachUserIsRememberedOnceAndUnreadableValuesAreKept) {
  RememberedSettings r;
  EXPECT_TRUE(r.Loaded().empty()) << "no value means nothing remembered";
  ASSERT_TRUE(RememberCredentials(r.settings, L"alice", L"abc"));
  ASSERT_TRUE(RememberCredentials(r.settings, L"b\x00F6rje", L"p\x00E4ss"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"alice", L"other"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"", L"secret"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"carol", L""));
  EXPECT_EQ((Credentials{{L"alice", L"abc"}, {L"b\x00F6rje", L"p\x00E4ss"}}), r.Loaded())
      << "a refused pair must not change the value";

  // An unreadable value is kept as it is; an entry that cannot be unprotected is left out.
  RememberedSettings unreadable;
  unreadable.SetValue(L"not hex");
  EXPECT_TRUE(unreadable.Loaded(kInvalidData).empty());
  EXPECT_FALSE(RememberCredentials(unreadable.settings, L"alice", L"secret"));
  std::wstring kept;
  ReadRegistryString(HKEY_CURRENT_USER, unreadable.path, L"UserDetailsU", &kept);
  EXPECT_EQ(L"not hex", kept);
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  unreadable.SetValue(FormatUserDetailsValue({{L"x", L"XYZ"}, {L"alice", ToHexText(cipher)}}));
  EXPECT_EQ((Credentials{{L"alice", L"secret"}}), unreadable.Loaded(kInvalidData));
}

TEST(UserDetailsValueTest, EncodesTheStoredLayoutAndRefusesMalformedValues) {
  // count 1 | user length 4 | "ab" | password length 8 | "0A1B" | four zero bytes of tail
  EXPECT_EQ(L"01000000" L"04000000" L"61006200" L"08000000" L"30004100" L"31004200" L"00000000",
            FormatUserDetailsValue({{L"ab", L"0A1B"}}));
  std::vector<ProtectedCredential> read;  // lowercase digits are read too, and no tail is needed
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(L"01000000" L"02000000" L"6f00" L"00000000", &read));
  EXPECT_EQ(L"o|", read.at(0).user + L"|" + read.at(0).protectedPassword);
  const wchar_t* const malformed[] = {
      L"", L"010", L"0100000G",                       // no count, half a byte, not a digit
      L"01000000",                                    // one entry announced, none there
      L"01000000" L"FF000000" L"61006200",            // a text runs past the end
      L"01000000" L"03000000" L"610062" L"00000000",  // a text of an odd byte length
  };
  for (const wchar_t* text : malformed) {
    std::vector<ProtectedCredential> kept = {{L"kept", L"ABCD"}};
    EXPECT_EQ(kInvalidData, ParseUserDetailsValue(text, &kept)) << Narrow(text);
    EXPECT_EQ(1u, kept.size()) << Narrow(text);
  }
}

TEST(ProtectedTextTest, ProtectsTextUpToTheLimitAndRefusesTheRest) {
  HCRYPTPROV deleted = 0;  // the key container is created again when missing
  CryptAcquireContextW(&deleted, L"Ruddle", nullptr, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
  const std::wstring longest(kMaxProtectedBytes / 2, L'\x0416');
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(longest, &cipher));
  EXPECT_EQ(longest.size() * 2, cipher.size());
  EXPECT_NE(0, memcmp(longest.data(), cipher.data(), cipher.size())) << "left readable";
  std::wstring back;
  ASSERT_EQ(kSuccess, UnprotectText(cipher, &back));
  EXPECT_EQ(longest, back);
  EXPECT_EQ(kInvalidData, ProtectText(L"", &cipher));
  EXPECT_EQ(kInvalidData, ProtectText(longest + L"x", &cipher));
  EXPECT_EQ(longest.size() * 2, cipher.size()) << "a refused text leaves the output";
  const std::vector<unsigned char> refused[] = {
      {}, {0x41, 0x00, 0x42}, std::vector<unsigned char>(kMaxProtectedBytes + 2, 0x41)};
  for (const std::vector<unsigned char>& bytes : refused) {
    std::wstring plain = L"kept";
    EXPECT_EQ(kInvalidData, UnprotectText(bytes, &plain)) << bytes.size();
    EXPECT_EQ(L"kept", plain) << bytes.size();
  }
}

}  // namespace
}  // namespace updater
