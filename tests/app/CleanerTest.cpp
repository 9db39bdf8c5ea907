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
      L"D:\\moved\\old\\setup.exe", L"D:\\dl\\banner.png", L"D:\\pictures\\me.png",
  };
  const auto exists = [&](const std::wstring& path) { return existing.count(path) != 0; };
  const std::vector<DownloadRecord> records = {
      {L"Acme 2.0", L"D:\\dl\\Acme 2.0\\setup.exe"},
      {L"Patch", L"D:\\dl\\Patch\\patch.msi"},
      {L"..", L"D:\\moved\\old\\setup.exe"},
      {L"Gone", L"D:\\dl\\Gone\\gone.exe"},
  };
  const std::vector<std::wstring> images = {L"D:\\dl\\banner.png", L"D:\\pictures\\me.png",
                                            L"D:\\dl\\gone.png"};
  const CleanTargets targets =
      CollectCleanTargets(records, images, L"D:\\dl", L"ruddle.ini", exists);
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\dl\\Acme 2.0\\setup.exe",
                                       L"D:\\dl\\Patch\\patch.msi.part", L"D:\\dl\\banner.png",
                                       L"D:\\dl\\ruddle.ini"}),
            targets.files)
      << "an installer or an image recorded outside the downloads folder stays";
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\dl\\Acme 2.0", L"D:\\dl\\Patch"}), targets.folders)
      << "a section named \"..\" must not name the parent of the downloads folder";
  EXPECT_TRUE(CollectCleanTargets(records, images, L"", L"ruddle.ini", exists).files.empty())
      << "without a downloads folder nothing is inside it";
}

TEST(CleanerTest, APathIsInsideTheDownloadsFolderOnlyAsAFullPath) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"D:\\dl\\A\\setup.exe", L"D:\\dl\\A\\setup.exe"},
      {L"d:/DL/a/./x", L"d:\\DL\\a\\x"},
      {L"\\\\?\\D:\\dl\\x", L"D:\\dl\\x"},
      {L"D:\\dl\\A\\..\\..\\Windows\\x.dll", L""},
      {L"\\\\?\\D:\\dl\\..\\x", L""},
      {L"D:\\dl2\\x", L""},
      {L"D:\\dl\\", L""},
      {L"dl\\x", L""},
      {L"\\\\.\\D:\\dl\\x", L""},
  };
  for (const auto& [path, inside] : cases) {
    EXPECT_EQ(test::Narrow(inside), test::Narrow(PathInsideFolder(path, L"D:\\dl")))
        << test::Narrow(path);
  }
  EXPECT_EQ(L"\\\\srv\\s\\dl\\x", PathInsideFolder(L"\\\\?\\UNC\\srv\\s\\dl\\x", L"//srv/s/dl/"));
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
