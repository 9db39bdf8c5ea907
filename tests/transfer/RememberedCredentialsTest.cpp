#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"
#include "transfer/RememberedCredentials.h"
#include "transfer/UserDetailsValue.h"

namespace updater {
namespace {

using test::Narrow;

// The settings of a configuration ID of its own, removed at the end.
struct RememberedSettings {
  RememberedSettings()
      : id(test::UniqueName(L"Remember")),
        tree(L"Software\\Merrow\\Ruddle\\" + id),
        settings(HKEY_CURRENT_USER, id),
        path(tree.SubKey() + L"\\Settings") {}

  std::wstring Value() const {
    std::wstring text;
    test::GetRegistryString(HKEY_CURRENT_USER, path, L"UserDetailsU", &text);
    return text;
  }
  std::vector<Credential> Loaded(ResultCode expected = kSuccess) const {
    std::vector<Credential> list;
    EXPECT_EQ(expected, LoadRememberedCredentials(settings, &list));
    return list;
  }

  std::wstring id;
  test::ScopedRegistryTree tree;
  SettingsStore settings;
  std::wstring path;
};

TEST(RememberedCredentialsTest, EachUserIsRememberedOnceAndLoadsInOrder) {
  RememberedSettings r;
  EXPECT_TRUE(r.Loaded().empty()) << "no value means nothing remembered";
  ASSERT_TRUE(RememberCredentials(r.settings, L"alice", L"abc"));
  ASSERT_TRUE(RememberCredentials(r.settings, L"b\x00F6rje", L"p\x00E4ss"));
  const std::wstring before = r.Value();
  EXPECT_FALSE(RememberCredentials(r.settings, L"alice", L"other"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"", L"secret"));
  EXPECT_FALSE(RememberCredentials(r.settings, L"carol", L""));
  EXPECT_EQ(before, r.Value()) << "a refused pair must not change the value";

  EXPECT_EQ((std::vector<Credential>{{L"alice", L"abc"}, {L"b\x00F6rje", L"p\x00E4ss"}}),
            r.Loaded());
  std::vector<ProtectedCredential> stored;
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(r.Value(), &stored));
  ASSERT_EQ(2u, stored.size());
  EXPECT_EQ(12u, stored[0].protectedPassword.size()) << "three characters, four digits each";
}

TEST(RememberedCredentialsTest, UnreadableValueIsNeitherLoadedNorOverwritten) {
  for (const wchar_t* text : {L"not hex", L"0100000002000000", L"FFFFFFFF00000000"}) {
    RememberedSettings r;
    test::SetRegistryString(HKEY_CURRENT_USER, r.path, L"UserDetailsU", text);
    EXPECT_TRUE(r.Loaded(ERROR_INVALID_DATA).empty()) << Narrow(text);
    EXPECT_FALSE(RememberCredentials(r.settings, L"alice", L"secret")) << Narrow(text);
    EXPECT_EQ(text, r.Value());
  }
  RememberedSettings wrongType;
  test::SetRegistryDword(HKEY_CURRENT_USER, wrongType.path, L"UserDetailsU", 7);
  EXPECT_FALSE(RememberCredentials(wrongType.settings, L"alice", L"secret"));
  DWORD kept = 0;
  EXPECT_TRUE(test::GetRegistryDword(HKEY_CURRENT_USER, wrongType.path, L"UserDetailsU", &kept));
  EXPECT_EQ(7u, kept);
}

TEST(RememberedCredentialsTest, AnEntryThatCannotBeUnprotectedIsLeftOut) {
  RememberedSettings r;
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  test::SetRegistryString(
      HKEY_CURRENT_USER, r.path, L"UserDetailsU",
      FormatUserDetailsValue({{L"broken", L"XYZ"}, {L"alice", ToHexText(cipher)}}));
  EXPECT_EQ((std::vector<Credential>{{L"alice", L"secret"}}), r.Loaded(ERROR_INVALID_DATA));
}

}  // namespace
}  // namespace updater
