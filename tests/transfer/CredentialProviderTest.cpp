#include "transfer/CredentialProvider.h"

#include <gtest/gtest.h>
#include <wincrypt.h>

#include <cstring>

#include "TestSupport.h"
#include "app/CredentialsArgument.h"
#include "transfer/CredentialsArgumentText.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"
#include "config/ProxySetting.h"
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

TEST(CredentialProviderTest, AskUserAddsOrCorrectsTheEnteredEntryAndTheArgumentCarriesIt) {
  CredentialProvider provider;
  std::wstring argument = L"stale";
  ASSERT_EQ(kSuccess, BuildCredentialsArgument(provider, &argument));
  EXPECT_EQ(L"", argument) << "no user name known";
  provider.AddCredentials({{L"alice", L"s\x00E9" L"cret"}});
  ASSERT_EQ(kSuccess, BuildCredentialsArgument(provider, &argument));
  CredentialsArgument parsed;
  ASSERT_EQ(kSuccess, ParseCredentialsArgument(argument, &parsed));
  std::wstring password;
  ASSERT_EQ(kSuccess, UnprotectText(parsed.encryptedPassword, &password));
  EXPECT_EQ(L"alice s\x00E9" L"cret", parsed.userName + L" " + password) << "the first listed pair";

  const EnteredCredentials* answer = nullptr;  // null: the dialog is cancelled
  std::wstring shown;
  Credentials remembered;
  provider.SetDialog([&](HWND, const std::wstring& realm, const std::wstring& server,
                         const std::wstring& proxyHost, EnteredCredentials* entered) {
    shown = realm + L"|" + server + L"|" + proxyHost;
    if (answer != nullptr) *entered = *answer;
    return answer != nullptr;
  });
  provider.SetRememberer([&](const std::wstring& user, const std::wstring& password) {
    remembered.push_back({user, password});
    return true;
  });
  provider.SetRealm(L"Files");
  provider.SetServer(L"http://host/u.ini");
  provider.SetProxyHost(L"proxy");
  EXPECT_FALSE(provider.AskUser(nullptr));
  EXPECT_EQ(L"Files|http://host/u.ini|proxy", shown);
  EXPECT_EQ(kNone, Entered(provider)) << "a cancelled dialog changes nothing";
  const EnteredCredentials answers[] = {
      {L"bob", L"", true}, {L"alice", L"new", false}, {L"carol", L"c", true}, {L"", L"x", true}};
  for (const EnteredCredentials& entered : answers) {
    answer = &entered;
    ASSERT_TRUE(provider.AskUser(nullptr));
    EXPECT_EQ((Credential{entered.user, entered.password}), Entered(provider));
  }
  EXPECT_EQ((Credentials{{L"alice", L"new"}, {L"bob", L""}, {L"carol", L"c"}, {L"", L"x"}}),
            provider.Credentials())
      << "a corrected password must replace the one that failed";
  EXPECT_EQ((Credentials{{L"carol", L"c"}}), remembered)
      << "only ticked credentials with user name and password are remembered";
  answer = &answers[0];
  ASSERT_TRUE(provider.AskUser(nullptr));
  ASSERT_EQ(kSuccess, BuildCredentialsArgument(provider, &argument));
  EXPECT_EQ(L"bob:", argument) << "the entered pair wins; an empty password has no digits";
}

// The settings of a configuration ID of its own, removed at the end.
struct RememberedSettings {
  std::wstring id = test::UniqueName(L"Remember");
  test::ScopedRegistryTree tree{L"Software\\Merrow\\Ruddle\\" + id};
  SettingsStore settings{HKEY_CURRENT_USER, id};
  std::wstring path = tree.SubKey() + L"\\Settings";

  std::wstring Value() const {
    std::wstring text;
    test::GetRegistryString(HKEY_CURRENT_USER, path, L"UserDetailsU", &text);
    return text;
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
  const std::wstring before = r.Value();
  EXPECT_FALSE(RememberCredentials(r.settings, L"alice", L"other"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"", L"secret"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"carol", L""));
  EXPECT_EQ(before, r.Value()) << "a refused pair must not change the value";
  EXPECT_EQ((Credentials{{L"alice", L"abc"}, {L"b\x00F6rje", L"p\x00E4ss"}}), r.Loaded());
  std::vector<ProtectedCredential> stored;
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(r.Value(), &stored));
  ASSERT_EQ(2u, stored.size());
  EXPECT_EQ(12u, stored[0].protectedPassword.size()) << "three characters, four digits each";

  for (const wchar_t* text : {L"not hex", L"FFFFFFFF00000000"}) {
    RememberedSettings unreadable;
    test::SetRegistryString(HKEY_CURRENT_USER, unreadable.path, L"UserDetailsU", text);
    EXPECT_TRUE(unreadable.Loaded(kInvalidData).empty()) << Narrow(text);
    EXPECT_FALSE(RememberCredentials(unreadable.settings, L"alice", L"secret")) << Narrow(text);
    EXPECT_EQ(text, unreadable.Value());
  }
  RememberedSettings wrongType;
  test::SetRegistryDword(HKEY_CURRENT_USER, wrongType.path, L"UserDetailsU", 7);
  EXPECT_FALSE(RememberCredentials(wrongType.settings, L"alice", L"secret"));
  DWORD kept = 0;
  EXPECT_TRUE(test::GetRegistryDword(HKEY_CURRENT_USER, wrongType.path, L"UserDetailsU", &kept));
  EXPECT_EQ(7u, kept);

  // An entry that cannot be unprotected is left out.
  RememberedSettings broken;
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  test::SetRegistryString(HKEY_CURRENT_USER, broken.path, L"UserDetailsU",
                          FormatUserDetailsValue({{L"x", L"XYZ"}, {L"alice", ToHexText(cipher)}}));
  EXPECT_EQ((Credentials{{L"alice", L"secret"}}), broken.Loaded(kInvalidData));
}

TEST(UserDetailsValueTest, EncodesTheStoredLayoutAndRefusesMalformedValues) {
  // count 1 | user length 4 | "ab" | password length 8 | "0A1B" | four zero bytes of tail
  EXPECT_EQ(L"01000000" L"04000000" L"61006200" L"08000000" L"30004100" L"31004200" L"00000000",
            FormatUserDetailsValue({{L"ab", L"0A1B"}}));
  const std::vector<ProtectedCredential> list = {{L"b\x00F6rje", L"C0FFEE11"}, {L"", L""}};
  std::vector<ProtectedCredential> decoded;
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(FormatUserDetailsValue(list), &decoded));
  ASSERT_EQ(2u, decoded.size());
  EXPECT_EQ(list[0].user + L"|" + list[0].protectedPassword,
            decoded[0].user + L"|" + decoded[0].protectedPassword);
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(L"00000000", &decoded)) << "no tail is needed";
  EXPECT_TRUE(decoded.empty());
  const wchar_t* const malformed[] = {
      L"",                                                  // nothing at all
      L"010",                                               // odd number of digits
      L"0100000G",                                          // not a digit
      L"000000",                                            // shorter than the count
      L"01000000",                                          // one entry announced, none there
      L"01000000" L"FF000000" L"61006200",                  // user name runs past the end
      L"01000000" L"03000000" L"610062" L"00000000",        // user name of an odd byte length
      L"01000000" L"02000000" L"6100" L"08000000" L"3000",  // password runs past the end
      L"01000000" L"02000000" L"6100" L"01000000" L"30",    // password of an odd byte length
      L"02000000" L"02000000" L"6100" L"02000000" L"3000",  // second entry missing
  };
  for (const wchar_t* text : malformed) {
    std::vector<ProtectedCredential> kept = {{L"kept", L"ABCD"}};
    EXPECT_EQ(kInvalidData, ParseUserDetailsValue(text, &kept)) << Narrow(text);
    EXPECT_EQ(1u, kept.size()) << Narrow(text);
  }
}

TEST(ProtectedTextTest, RoundTripsAnyTextUpToTheLimitAndRefusesTheRest) {
  HCRYPTPROV deleted = 0;  // the key container is created again when missing
  CryptAcquireContextW(&deleted, L"Ruddle", nullptr, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
  for (const std::wstring& plain : {std::wstring(L"p\x00E4ss \x20AC \x4E2D \xD83D\xDE00"),
                                    std::wstring(25600, L'\x0416')}) {  // 51200 bytes, the most
    std::vector<unsigned char> cipher, again;
    ASSERT_EQ(kSuccess, ProtectText(plain, &cipher)) << plain.size();
    ASSERT_EQ(kSuccess, ProtectText(plain, &again));
    EXPECT_EQ(cipher, again) << "one key for every call, or remembered passwords get lost";
    EXPECT_EQ(plain.size() * 2, cipher.size());
    EXPECT_NE(0, memcmp(plain.data(), cipher.data(), cipher.size()));
    std::wstring back;
    ASSERT_EQ(kSuccess, UnprotectText(cipher, &back)) << plain.size();
    EXPECT_EQ(plain, back) << "length " << plain.size();
  }
  std::vector<unsigned char> cipher = {1, 2};
  EXPECT_EQ(kInvalidData, ProtectText(L"", &cipher));
  EXPECT_EQ(kInvalidData, ProtectText(std::wstring(25601, L'x'), &cipher));
  EXPECT_EQ((std::vector<unsigned char>{1, 2}), cipher) << "a refused text leaves the output";
  const std::vector<unsigned char> refused[] = {
      {}, {0x41, 0x00, 0x42}, std::vector<unsigned char>(kMaxProtectedBytes + 2, 0x41)};
  for (const std::vector<unsigned char>& bytes : refused) {
    std::wstring plain = L"kept";
    EXPECT_EQ(kInvalidData, UnprotectText(bytes, &plain)) << bytes.size();
    EXPECT_EQ(L"kept", plain) << bytes.size();
  }
}

TEST(ProxySettingTest, UserValueWinsAndEmptyTextDeletesIt) {
  RememberedSettings user;
  const test::ScopedRegistryTree machineTree(user.tree.SubKey(), HKEY_LOCAL_MACHINE);
  const SettingsStore machine(HKEY_LOCAL_MACHINE, user.id);
  EXPECT_EQ(L"", GetProxy(user.settings, machine));
  ASSERT_EQ(kSuccess, SetProxy(machine, L"machine:8080"));
  ASSERT_EQ(kSuccess, SetProxy(user.settings, L"user:3128"));
  EXPECT_EQ(L"user:3128", GetProxy(user.settings, machine));
  ASSERT_EQ(kSuccess, SetProxy(user.settings, L""));
  EXPECT_EQ(L"machine:8080", GetProxy(user.settings, machine)) << "the user's value must be gone";
}

}  // namespace
}  // namespace updater
