#include "app/TemporaryCopy.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(TemporaryCopyTest, NamesTheFolderAfterTheInstalledPathAndTheFilesAfterItsName) {
  // Paths differing only in case are different installations as far as the name goes.
  EXPECT_EQ(L"d277923df189844b49fcee6b9a6ce704",
            TemporaryFolderName(L"C:\\Program Files\\Acme\\Updater.exe"));
  EXPECT_EQ(L"9bfe97dca8e14406ea4e61a0a18d65a9",
            TemporaryFolderName(L"C:\\PROGRAM FILES\\ACME\\UPDATER.EXE"));
  struct Case {
    const wchar_t *tempPath, *installed, *base;
  };
  const Case cases[] = {
      {L"C:\\Temp\\", L"C:\\Apps\\Acme\\Updater.exe", L"C:\\Temp\\f0\\Updater"},
      {L"C:\\Temp", L"C:\\Apps\\tool.v2.exe", L"C:\\Temp\\f0\\tool.v2"},
      {L"C:\\Temp\\", L"C:\\Apps\\Acme\\Updater", L"C:\\Temp\\f0\\Updater"},
  };
  for (const Case& c : cases) {
    const TemporaryCopy copy = TemporaryCopyLayout(c.tempPath, L"f0", c.installed);
    const std::string context = Narrow(c.installed) + " in " + Narrow(c.tempPath);
    EXPECT_EQ(L"C:\\Temp\\f0", copy.folder) << context;
    EXPECT_EQ(std::wstring(c.base) + L".exe", copy.executable) << context;
    EXPECT_EQ(std::wstring(c.base) + L".ini", copy.handOverFile) << context;
    EXPECT_EQ(std::wstring(c.base) + L".dat", copy.updateListFile) << context;
  }
  EXPECT_EQ(L"silentcritical", TemporaryCopyKind(RunMode::SilentCritical));
  EXPECT_EQ(L"", TemporaryCopyKind(RunMode::JustCheck));
  EXPECT_EQ(L"/install checknow \"C:\\T\\U.ini\" alice:0A1B",
            TemporaryCopyArguments(L"checknow", L"C:\\T\\U.ini", L"alice:0A1B"));
}

}  // namespace
}  // namespace updater
