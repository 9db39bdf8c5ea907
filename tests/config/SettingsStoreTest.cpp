#include "config/SettingsStore.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(SettingsStoreTest, ValuesRoundTripInTheirRegistryFormatsAndMissingOnesLeaveOutputAlone) {
  const test::ScopedClientConfig client(L"StoreTest");
  const SettingsStore& store = client.Config().Settings();
  const std::wstring key = SettingsKeyPath(SettingsKey::Settings, store.Id());
  DWORD number = 42;
  std::wstring text = L"before";
  FILETIME time = {1, 2};
  bool flag = true;
  EXPECT_FALSE(store.ReadDword(SettingsKey::Settings, L"Number", &number));
  EXPECT_FALSE(store.ReadString(SettingsKey::Settings, L"Long", &text));
  EXPECT_FALSE(store.ReadFlag(SettingsKey::UpdateLocks, L"Zero", &flag));
  EXPECT_FALSE(store.ReadTime(SettingsKey::Settings, L"Time", &time));
  EXPECT_TRUE(number == 42 && text == L"before" && flag && time.dwLowDateTime == 1);

  std::wstring longText(100000, L'p');  // read whole, however long
  longText.back() = L'!';
  ASSERT_EQ(kSuccess, store.WriteDword(SettingsKey::Settings, L"Number", 0xFFFFFFFF));
  ASSERT_EQ(kSuccess, store.WriteString(SettingsKey::Settings, L"Long", longText));
  ASSERT_EQ(kSuccess, store.WriteString(SettingsKey::Settings, L"Empty", L""));
  ASSERT_EQ(kSuccess, store.WriteTime(SettingsKey::Settings, L"Time", {0x89ABCDEF, 0x01D9F00D}));
  ASSERT_EQ(kSuccess, store.WriteDword(SettingsKey::Settings, L"Zero", 0));
  EXPECT_TRUE(test::GetRegistryDword(HKEY_CURRENT_USER, key, L"Number", &number));
  EXPECT_TRUE(store.ReadDword(SettingsKey::Settings, L"Number", &number) && number == 0xFFFFFFFF);
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, key, L"Long", &text));
  EXPECT_TRUE(store.ReadString(SettingsKey::Settings, L"Long", &text) && text == longText);
  EXPECT_TRUE(store.ReadString(SettingsKey::Settings, L"Empty", &text) && text.empty());
  EXPECT_TRUE(store.ReadTime(SettingsKey::Settings, L"Time", &time));
  EXPECT_EQ(0x01D9F00D89ABCDEFull,
            (static_cast<std::uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
  EXPECT_TRUE(store.ReadFlag(SettingsKey::Settings, L"Zero", &flag) && !flag);
  EXPECT_TRUE(store.ReadFlag(SettingsKey::Settings, L"Number", &flag) && flag);
  // A time is 8 bytes of REG_BINARY: a number or a 4-byte binary value is no time.
  const BYTE fourBytes[4] = {1, 0, 0, 0};
  RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"Binary4", REG_BINARY, fourBytes, 4);
  EXPECT_FALSE(store.ReadTime(SettingsKey::Settings, L"Binary4", &time));
  EXPECT_FALSE(store.ReadTime(SettingsKey::Settings, L"Number", &time));
  EXPECT_FALSE(store.ReadDword(SettingsKey::Settings, L"Empty", &number));
  EXPECT_FALSE(store.ReadString(SettingsKey::Settings, L"Number", &text));

  EXPECT_EQ(kSuccess, store.DeleteValue(SettingsKey::Settings, L"Long"));
  EXPECT_FALSE(store.ReadString(SettingsKey::Settings, L"Long", &text));
  EXPECT_TRUE(store.ReadString(SettingsKey::Settings, L"Empty", &text)) << "deleted too much";
  EXPECT_NE(kSuccess, store.DeleteValue(SettingsKey::Settings, L"Long"));
  // Without an ID no key but the shared one has a name, so nothing is written.
  EXPECT_EQ(L"", SettingsKeyPath(SettingsKey::Client, L""));
  EXPECT_NE(kSuccess, SettingsStore(HKEY_CURRENT_USER, L"").WriteDword(SettingsKey::Settings,
                                                                       L"UnnamedStoreProbe", 1));
}

}  // namespace
}  // namespace updater
