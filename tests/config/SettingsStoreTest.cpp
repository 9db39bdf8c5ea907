#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/SettingsStore.h"

namespace updater {
namespace {

using test::GetRegistryDword;
using test::GetRegistryString;
using test::ScopedRegistryTree;
using test::UniqueName;

const std::wstring kProductKey = L"Software\\Merrow\\Ruddle\\";

bool KeyExists(HKEY root, const std::wstring& path) {
  RegistryKey key;
  return RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) == ERROR_SUCCESS;
}

TEST(SettingsStoreTest, NamesKeysAfterKindAndId) {
  struct Case {
    SettingsKey kind;
    const wchar_t* withId;
  };
  const Case cases[] = {
      {SettingsKey::Settings, L"Software\\Merrow\\Ruddle\\Acme\\Settings"},
      {SettingsKey::Updates, L"Software\\Merrow\\Ruddle\\Acme\\Updates"},
      {SettingsKey::UpdateLocks, L"Software\\Merrow\\Ruddle\\Acme\\Updates\\Locks"},
      {SettingsKey::Client, L"Software\\Merrow\\Ruddle\\Acme"},
      {SettingsKey::Root, L"Software\\Merrow\\Ruddle"},
      {SettingsKey::Messages, L"Software\\Merrow\\Ruddle\\Acme\\Messages"},
      {SettingsKey::MessageResources, L"Software\\Merrow\\Ruddle\\Acme\\Messages\\Resources"},
  };
  for (const Case& c : cases) {
    const int kind = static_cast<int>(c.kind);
    EXPECT_EQ(c.withId, SettingsKeyPath(c.kind, L"Acme")) << "kind " << kind;
    // Without an ID only the shared key has a name.
    EXPECT_EQ(c.kind == SettingsKey::Root ? c.withId : L"", SettingsKeyPath(c.kind, L""))
        << "kind " << kind;
  }
}

TEST(SettingsStoreTest, ValuesRoundTripInTheirFormats) {
  const std::wstring id = UniqueName(L"StoreTest");
  const ScopedRegistryTree tree(kProductKey + id);
  const SettingsStore store(HKEY_CURRENT_USER, id);

  EXPECT_EQ(kSuccess, store.WriteDword(SettingsKey::Settings, L"RetryAttempts", 0xFFFFFFFF));
  DWORD number = 0;
  EXPECT_TRUE(store.ReadDword(SettingsKey::Settings, L"RetryAttempts", &number));
  EXPECT_EQ(0xFFFFFFFFu, number);
  EXPECT_TRUE(GetRegistryDword(HKEY_CURRENT_USER, kProductKey + id + L"\\Settings",
                               L"RetryAttempts", &number));

  EXPECT_EQ(kSuccess, store.WriteString(SettingsKey::Updates, L"Update 1", L"C:\\d\\setup.msi"));
  std::wstring text;
  EXPECT_TRUE(store.ReadString(SettingsKey::Updates, L"Update 1", &text));
  EXPECT_EQ(L"C:\\d\\setup.msi", text);
  EXPECT_TRUE(
      GetRegistryString(HKEY_CURRENT_USER, kProductKey + id + L"\\Updates", L"Update 1", &text));

  std::wstring longText(100000, L'p');  // read whole, however long
  longText.back() = L'!';
  EXPECT_EQ(kSuccess, store.WriteString(SettingsKey::Settings, L"Proxy", longText));
  EXPECT_TRUE(store.ReadString(SettingsKey::Settings, L"Proxy", &text));
  EXPECT_TRUE(text == longText) << "read " << text.size() << " characters";

  EXPECT_EQ(kSuccess, store.WriteString(SettingsKey::Settings, L"Empty", L""));
  text = L"before";
  EXPECT_TRUE(store.ReadString(SettingsKey::Settings, L"Empty", &text));
  EXPECT_EQ(L"", text);

  const FILETIME time = {0x89ABCDEF, 0x01D9F00D};
  EXPECT_EQ(kSuccess, store.WriteTime(SettingsKey::Settings, L"NextUpdateCheck", time));
  FILETIME readTime = {};
  EXPECT_TRUE(store.ReadTime(SettingsKey::Settings, L"NextUpdateCheck", &readTime));
  EXPECT_EQ(time.dwLowDateTime, readTime.dwLowDateTime);
  EXPECT_EQ(time.dwHighDateTime, readTime.dwHighDateTime);
  DWORD type = 0;
  DWORD size = 0;
  EXPECT_EQ(ERROR_SUCCESS,
            RegGetValueW(HKEY_CURRENT_USER, (kProductKey + id + L"\\Settings").c_str(),
                         L"NextUpdateCheck", RRF_RT_ANY, &type, nullptr, &size));
  EXPECT_EQ(static_cast<DWORD>(REG_BINARY), type);
  EXPECT_EQ(8u, size);

  store.WriteDword(SettingsKey::Settings, L"NoAutoUpdateCheck", 0);
  store.WriteDword(SettingsKey::MessageResources, L"Shown", 2);
  bool flag = true;
  EXPECT_TRUE(store.ReadFlag(SettingsKey::Settings, L"NoAutoUpdateCheck", &flag));
  EXPECT_FALSE(flag);
  EXPECT_TRUE(store.ReadFlag(SettingsKey::MessageResources, L"Shown", &flag));
  EXPECT_TRUE(flag);

  EXPECT_EQ(kSuccess, store.DeleteValue(SettingsKey::Settings, L"Proxy"));
  EXPECT_FALSE(store.ReadString(SettingsKey::Settings, L"Proxy", &text));
  EXPECT_TRUE(store.ReadString(SettingsKey::Settings, L"Empty", &text)) << "deleted too much";
  EXPECT_NE(kSuccess, store.DeleteValue(SettingsKey::Settings, L"Proxy"));
}

TEST(SettingsStoreTest, ReadsReportMissingValuesAndLeaveOutputAlone) {
  const std::wstring id = UniqueName(L"StoreTest");
  const ScopedRegistryTree tree(kProductKey + id);
  const SettingsStore store(HKEY_CURRENT_USER, id);

  DWORD number = 42;
  std::wstring text = L"before";
  EXPECT_FALSE(store.ReadDword(SettingsKey::Settings, L"CheckFrequency", &number));
  EXPECT_FALSE(store.ReadString(SettingsKey::Settings, L"Proxy", &text));
  // Reading numbers and text needs no write access and leaves a missing key missing.
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey + id));

  bool flag = true;
  FILETIME time = {1, 2};
  EXPECT_FALSE(store.ReadFlag(SettingsKey::UpdateLocks, L"Batch", &flag));
  EXPECT_FALSE(store.ReadTime(SettingsKey::Settings, L"LastModified", &time));
  EXPECT_EQ(42u, number);
  EXPECT_EQ(L"before", text);
  EXPECT_TRUE(flag);
  EXPECT_EQ(1u, time.dwLowDateTime);
}

TEST(SettingsStoreTest, ValuesOfOtherTypeOrSizeReadAsMissing) {
  const std::wstring id = UniqueName(L"StoreTest");
  const ScopedRegistryTree tree(kProductKey + id);
  const std::wstring key = kProductKey + id + L"\\Settings";
  test::SetRegistryString(HKEY_CURRENT_USER, key, L"Text", L"12");
  test::SetRegistryDword(HKEY_CURRENT_USER, key, L"Number", 12);
  const BYTE fourBytes[4] = {1, 0, 0, 0};
  ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Binary4", REG_BINARY,
                                           fourBytes, sizeof(fourBytes)));
  const SettingsStore store(HKEY_CURRENT_USER, id);

  DWORD number = 0;
  std::wstring text;
  FILETIME time = {};
  bool flag = false;
  EXPECT_FALSE(store.ReadDword(SettingsKey::Settings, L"Text", &number));
  EXPECT_FALSE(store.ReadString(SettingsKey::Settings, L"Number", &text));
  EXPECT_FALSE(store.ReadTime(SettingsKey::Settings, L"Binary4", &time));
  EXPECT_FALSE(store.ReadTime(SettingsKey::Settings, L"Number", &time));
  // A flag is any 4-byte value.
  EXPECT_TRUE(store.ReadFlag(SettingsKey::Settings, L"Binary4", &flag));
  EXPECT_TRUE(flag);
}

TEST(SettingsStoreTest, MachineStoreUsesLocalMachine) {
  const std::wstring id = UniqueName(L"StoreTest");
  const ScopedRegistryTree tree(kProductKey + id, HKEY_LOCAL_MACHINE);
  const SettingsStore store(HKEY_LOCAL_MACHINE, id);
  ASSERT_EQ(kSuccess, store.WriteDword(SettingsKey::Settings, L"LogLevel", 9));
  DWORD number = 0;
  EXPECT_TRUE(
      GetRegistryDword(HKEY_LOCAL_MACHINE, kProductKey + id + L"\\Settings", L"LogLevel", &number));
  EXPECT_EQ(9u, number);
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, kProductKey + id));
}

TEST(SettingsStoreTest, WithoutIdTouchesNoSharedKey) {
  const SettingsStore store(HKEY_CURRENT_USER, L"");
  EXPECT_NE(kSuccess, store.WriteDword(SettingsKey::Settings, L"UnnamedStoreProbe", 1));
  EXPECT_NE(kSuccess, store.WriteString(SettingsKey::Client, L"UnnamedStoreProbe", L"x"));
  DWORD number = 0;
  EXPECT_FALSE(store.ReadDword(SettingsKey::Settings, L"UnnamedStoreProbe", &number));
  EXPECT_FALSE(GetRegistryDword(HKEY_CURRENT_USER, L"Software\\Merrow\\Ruddle\\Settings",
                                L"UnnamedStoreProbe", &number));
  std::wstring text;
  EXPECT_FALSE(GetRegistryString(HKEY_CURRENT_USER, L"Software\\Merrow\\Ruddle",
                                 L"UnnamedStoreProbe", &text));
}

}  // namespace
}  // namespace updater
