#include "app/TemporaryCopy.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/RemovalBatchFile.h"

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

TEST(TemporaryCopyTest, BatchFileHasExactlyTheRemovalLines) {
  EXPECT_EQ(L"@echo off \r\n"
            L"del \"C:\\T\\f0\\Updater.ini\" \r\n"
            L"del \"C:\\T\\f0\\Updater.dat\" \r\n"
            L":again \r\n"
            L"if not exist \"C:\\T\\f0\\Updater.exe\" goto end \r\n"
            L"if exist \"C:\\T\\f0\\Updater.exe\" del \"C:\\T\\f0\\Updater.exe\" \r\n"
            L"goto again \r\n"
            L":end \r\n"
            L"rmDir \"C:\\T\\f0\" \r\n"
            L"del \"C:\\T\\qzu1.bat\" | cls",
            RemovalBatchText({L"C:\\T\\f0\\Updater.ini", L"C:\\T\\f0\\Updater.dat"},
                             L"C:\\T\\f0\\Updater.exe", L"C:\\T\\f0", L"C:\\T\\qzu1.bat"));
}

}  // namespace
}  // namespace updater
