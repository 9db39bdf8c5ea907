#include "handover/TemporaryCopy.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/UserTempPath.h"

namespace updater {
namespace {

using test::Narrow;
using test::TextEncoding;

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
  EXPECT_EQ(L"/install checknow \"C:\\T\\U.ini\" alice:0A1B",
            TemporaryCopyArguments(L"checknow", L"C:\\T\\U.ini", L"alice:0A1B"));
}

TEST(TemporaryCopyTest, FailedPreparationRemovesOnlyWhatItMadeAndWritesNothingThroughALink) {
  enum class Found { Nothing, RunningCopy, Link };
  const std::wstring unsafe = L"Refused to write a path into the removal batch file: ";
  const std::wstring failed = L"Failed to prepare the temporary copy in ";
  const std::wstring linked = L"Refused the temporary folder, a link or no folder: ";
  // Another run started at the same moment holds the copy: the same answer as its lock gives.
  const std::wstring racing = L"Another run is preparing the temporary copy in ";
  const struct { const wchar_t* name; Found found; ResultCode result; std::wstring log; } cases[] = {
      {L"Updater.exe", Found::Nothing, kSuccess, L""},
      {L"Updater.exe", Found::RunningCopy, kAnotherInstance, racing},
      {L"Updater.exe", Found::Link, kLinkedFolder, linked},
      {L"Up&date.exe", Found::Nothing, kUnsafeBatchPath, unsafe},
      {L"Up\xFF02 x.exe", Found::Nothing, kUnsafeBatchPath, unsafe},  // best fit: a plain quote
  };
  test::LogText();  // turns the log on
  test::TempFolder folder;
  const std::wstring source = folder.File(L"source.exe"), target = folder.File(L"target");
  test::WriteTextFile(source, L"MZ", TextEncoding::Ansi);
  CreateDirectoryW(target.c_str(), nullptr);
  for (const auto& c : cases) {
    InstallHandOver handOver;
    const std::wstring installed = folder.File(test::UniqueName(L"app") + L"\\" + c.name);
    handOver.installedUpdaterPath = installed;
    const TemporaryCopy layout =
        TemporaryCopyLayout(UserTempPath(), TemporaryFolderName(installed), installed);
    const std::wstring files[] = {layout.executable, layout.handOverFile, layout.updateListFile};
    FileHandle running;
    if (c.found == Found::Link) {
      ASSERT_TRUE(test::UnixLink(layout.folder, target));
    }
    if (c.found == Found::RunningCopy) {
      CreateDirectoryW(layout.folder.c_str(), nullptr);
      for (const auto& file : files) test::WriteTextFile(file, L"running", TextEncoding::Ansi);
      // Shared as the loader shares the image of a running program.
      running.Reset(CreateFileW(layout.executable.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    }
    TemporaryCopy copy;
    EXPECT_EQ(c.result, PrepareTemporaryCopy(source, handOver, {}, &copy)) << Narrow(installed);
    const std::wstring log = test::LogText();
    EXPECT_EQ(c.result != kSuccess, log.find(c.log + layout.folder) != std::wstring::npos);
    EXPECT_EQ(c.result != kSuccess && c.result != kAnotherInstance,
              log.find(failed + layout.folder) != std::wstring::npos);
    EXPECT_EQ(c.result == kSuccess, test::ReadFileBytes(copy.batchFile).find("@echo off") == 0);
    RemoveTemporaryCopy(copy);
    for (const std::wstring& file : files) {
      EXPECT_EQ(c.found == Found::RunningCopy ? "running" : "", test::ReadFileBytes(file));
      EXPECT_FALSE(test::FileExists(target + file.substr(layout.folder.size()))) << "via the link";
    }
    EXPECT_FALSE(test::FileExists(copy.batchFile)) << Narrow(copy.batchFile);
    EXPECT_EQ(c.found != Found::Nothing, test::FileExists(layout.folder)) << "not made by this run";
    running.Reset();
    if (c.found == Found::Link) test::UnixLink(layout.folder, L"");
    if (c.found == Found::RunningCopy) test::DeleteFolderTree(layout.folder);
  }
}

}  // namespace
}  // namespace updater
