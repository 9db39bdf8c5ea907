#include "app/TemporaryCopy.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/RemovalBatchFile.h"
#include "base/ObjectAccessReader.h"
#include "base/SystemLibrary.h"
#include "base/AnsiText.h"
#include "base/Logger.h"
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
  EXPECT_EQ(L"silentcritical", TemporaryCopyKind(RunMode::SilentCritical));
  EXPECT_EQ(L"", TemporaryCopyKind(RunMode::JustCheck));
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
  const std::wstring logPath = test::ThisExecutableFolder() + L"\\AppTests.log";
  Logger::Instance().SetLogFile(logPath);
  Logger::Instance().SetLevelMask(kLogError | kLogInfo);
  Logger::Instance().SetEnabled(true);
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
    const std::string bytes = test::ReadFileBytes(logPath);
    const std::wstring log(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
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
  Logger::Instance().SetEnabled(false);
}

TEST(RemovalBatchFileTest, NeverOpensAFileThatExistsAndRefusesPathsCmdWouldReadOtherwise) {
  test::TempFolder folder;
  test::WriteTextFile(folder.File(L"qzuFFFF.bat"), L"start calc", TextEncoding::Ansi);
  RemovalBatchFile batch;
  ASSERT_EQ(kSuccess, CreateRemovalBatchFile(folder.Path() + L"\\", L"qzu", 0x1FFFF, false, &batch));
  EXPECT_EQ(Narrow(folder.File(L"qzu0.bat")), Narrow(batch.path)) << "the next name";
  EXPECT_EQ("start calc", test::ReadFileBytes(folder.File(L"qzuFFFF.bat")));
  // The service's batch file: nobody but LocalSystem and the Administrators may even read it.
  RemovalBatchFile privateBatch;
  ASSERT_EQ(kSuccess, CreateRemovalBatchFile(folder.Path() + L"\\", L"UPD", 0, true, &privateBatch));
  privateBatch.file.Reset();
  ObjectAccess access;
  ASSERT_EQ(kSuccess, ReadFileAccess(privateBatch.path, &access));
  std::wstring user;
  ASSERT_EQ(kSuccess, CurrentUserSid(&user));
  const auto others = GrantsToOthers(access, {L"S-1-5-18", L"S-1-5-32-544", user});
  EXPECT_EQ(L"", FindGrantOf(others, FILE_READ_DATA | FILE_WRITE_DATA).sid);
  // The test prefix's code page 1252 has é, and only look-alikes of U+FF02 and U+0100.
  const auto writable = [](const std::wstring& path) {
    std::string ansi;
    return IsSafeInBatchLine(path) && ToExactAnsiText(path, &ansi);
  };
  EXPECT_TRUE(writable(L"C:\\Users\\Ann Lee (x86)\\Temp\\qzu1A.bat"));
  EXPECT_TRUE(writable(L"C:\\Users\\Ren\xE9"));
  for (const wchar_t c : std::wstring(L"%\"^&!<>|\t\x7F\x85\xFF02\x0100")) {
    EXPECT_FALSE(writable(L"C:\\a" + std::wstring(1, c))) << static_cast<int>(c);
  }
}

TEST(SystemLibraryTest, ADllBesideTheProgramIsNotLoadedByItsBareName) {
  wchar_t system[MAX_PATH] = {};
  const std::wstring name = L"\\msftedit.dll";
  const std::wstring inSystem = std::wstring(system, GetSystemDirectoryW(system, MAX_PATH)) + name;
  const std::wstring planted = test::ThisExecutableFolder() + name;
  ASSERT_TRUE(CopyFileW(inSystem.c_str(), planted.c_str(), FALSE));
  EXPECT_EQ(kSuccess, RestrictDllSearchToSystemFolder());
  for (const HMODULE module : {LoadLibraryW(name.c_str() + 1), LoadSystemLibrary(name.substr(1))}) {
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(ModuleHandle(module).Get(), path, MAX_PATH);
    EXPECT_EQ(Narrow(inSystem), Narrow(path));
  }
  DeleteFileW(planted.c_str());
}

}  // namespace
}  // namespace updater
