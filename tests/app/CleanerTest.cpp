#include "app/Cleaner.h"

#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(CleanerTest, CollectsOnlyWhatExistsAndStaysInsideTheDownloadsFolder) {
  const std::set<std::wstring> existing = {
      L"D:\\dl\\Acme 2.0", L"D:\\dl\\Acme 2.0\\setup.exe", L"D:\\dl\\Patch",
      L"D:\\dl\\Patch\\patch.msi.part", L"D:\\dl\\ruddle.ini", L"D:\\dl\\..",
      L"D:\\moved\\old\\setup.exe",
  };
  const auto exists = [&](const std::wstring& path) { return existing.count(path) != 0; };
  const std::vector<DownloadRecord> records = {
      {L"Acme 2.0", L"D:\\dl\\Acme 2.0\\setup.exe"},
      {L"Patch", L"D:\\dl\\Patch\\patch.msi"},
      {L"..", L"D:\\moved\\old\\setup.exe"},
      {L"Gone", L"D:\\dl\\Gone\\gone.exe"},
  };
  const CleanTargets targets = CollectCleanTargets(records, L"D:\\dl", L"ruddle.ini", exists);
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\dl\\Acme 2.0\\setup.exe",
                                       L"D:\\dl\\Patch\\patch.msi.part",
                                       L"D:\\moved\\old\\setup.exe", L"D:\\dl\\ruddle.ini"}),
            targets.files);
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\dl\\Acme 2.0", L"D:\\dl\\Patch"}), targets.folders)
      << "a section named \"..\" must not name the parent of the downloads folder";
  EXPECT_EQ(3u, CollectCleanTargets(records, L"", L"ruddle.ini", exists).files.size())
      << "without a downloads folder there is no local copy";
}

TEST(CleanerTest, SettingsAlreadyGoneCountAsRemovedButAnEmptyIdRemovesNothing) {
  const test::ScopedClientConfig client(L"Clean");
  const SettingsStore& settings = client.Config().Settings();
  settings.WriteDword(SettingsKey::Settings, L"LogLevel", 1);
  EXPECT_EQ(kSuccess, RemoveConfigurationSettings(settings));
  DWORD value = 0;
  EXPECT_FALSE(settings.ReadDword(SettingsKey::Settings, L"LogLevel", &value));
  EXPECT_EQ(kSuccess, RemoveConfigurationSettings(settings)) << "already gone";
  EXPECT_EQ(ERROR_INVALID_PARAMETER, RemoveConfigurationSettings({HKEY_CURRENT_USER, L""}));
}

}  // namespace
}  // namespace updater
