#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/TemporaryCopy.h"
#include "e2e/CheckSetup.h"

namespace updater::test {
namespace {

bool Eventually(bool (*condition)(const std::wstring&), const std::wstring& path) {
  for (int i = 0; i < 500 && !condition(path); ++i) Sleep(40);
  return condition(path);
}

bool IsGone(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES;
}

std::wstring CopyFolderOf(const std::wstring& installedUpdater) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  return temp + TemporaryFolderName(installedUpdater);
}

TEST(SilentUpdateTest, InstalledUpdaterHandsOverToACopyThatDownloadsAndRemovesItself) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.Publish(setup.Update(L"Needed", false, false));
  setup.Serve(L"Needed.exe", std::wstring(1000, L'n'));
  const std::string installedBefore = ReadFileBytes(setup.Updater().ExecutablePath());

  const RunOutcome outcome =
      setup.Updater().Run(L"/silentall -nofreqcheck -nogui -justdownload");
  EXPECT_EQ(0u, outcome.exitCode) << "the copy was not started\n" << Narrow(setup.Log());

  const std::wstring installer = setup.InstallerPath(L"Needed");
  EXPECT_TRUE(Eventually(FileExists, installer)) << "the copy did not download\n"
                                                 << Narrow(setup.Log());
  const std::wstring copyFolder = CopyFolderOf(setup.Updater().ExecutablePath());
  EXPECT_TRUE(Eventually(IsGone, copyFolder)) << "the batch file left " << Narrow(copyFolder);
  EXPECT_EQ(installedBefore, ReadFileBytes(setup.Updater().ExecutablePath()));
  const std::wstring log = setup.Log();
  EXPECT_NE(std::wstring::npos, log.find(L"Running updater. Mode: 8")) << Narrow(log);
}

}  // namespace
}  // namespace updater::test
