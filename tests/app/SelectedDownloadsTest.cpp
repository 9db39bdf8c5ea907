#include "app/SelectedDownloads.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ClientConfig.h"

namespace updater {
namespace {

TEST(SelectedDownloadsTest, FetchesSelectedInstallersAndDropsOnesOfTheWrongSize) {
  test::TempFolder folder;
  test::WriteTextFile(folder.File(L"source.exe"), std::wstring(100, L's'),
                      test::TextEncoding::Ansi);
  const std::wstring url = L"file:///" + folder.File(L"source.exe");
  UpdateList list;
  const auto add = [&](const wchar_t* name, std::int32_t size, bool selected) {
    UpdateInfo update;
    update.name = name;
    update.size = size;
    update.selectedForInstall = selected;
    update.urls = {url};
    update.localFilePath = folder.File(name) + std::wstring(L".exe");
    list.updates.push_back(update);
  };
  add(L"Right", 100, true);
  add(L"Wrong", 1000, true);
  add(L"Unselected", 100, false);
  const ClientConfig config(folder.File(L"none.ini"));

  EXPECT_EQ(kSizeMismatch, DownloadSelectedUpdates(list, config, nullptr));
  EXPECT_EQ(100u, test::ReadFileBytes(folder.File(L"Right.exe")).size());
  EXPECT_FALSE(test::FileExists(folder.File(L"Wrong.exe")));
  EXPECT_FALSE(test::FileExists(folder.File(L"Wrong.exe.part")));
  EXPECT_FALSE(test::FileExists(folder.File(L"Unselected.exe")));
}

}  // namespace
}  // namespace updater
