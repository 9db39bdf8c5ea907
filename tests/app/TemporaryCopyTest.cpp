#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "config/RunContext.h"
#include "app/HandOverFile.h"
#include "app/RemovalBatchFile.h"
#include "app/TemporaryCopy.h"
#include "base/IniFile.h"

namespace updater {
namespace {

using test::FileExists;
using test::Narrow;
using test::ReadFileBytes;
using test::TempFolder;
using test::TextEncoding;
using test::WriteTextFile;

TEST(TemporaryCopyTest, FolderNameIsTheDigestOfTheInstalledPath) {
  struct Case {
    const wchar_t* path;
    const wchar_t* name;
  };
  // Paths differing only in case are different installations as far as the name goes.
  const Case cases[] = {
      {L"C:\\Program Files\\Acme\\Updater.exe", L"d277923df189844b49fcee6b9a6ce704"},
      {L"C:\\PROGRAM FILES\\ACME\\UPDATER.EXE", L"9bfe97dca8e14406ea4e61a0a18d65a9"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.name, TemporaryFolderName(c.path)) << Narrow(c.path);
  }
}

TEST(TemporaryCopyTest, LaysOutTheCopyAfterTheInstalledName) {
  struct Case {
    const wchar_t* tempPath;
    const wchar_t* installed;
    const wchar_t* folder;
    const wchar_t* base;
  };
  const Case cases[] = {
      {L"C:\\Temp\\", L"C:\\Apps\\Acme\\Updater.exe", L"C:\\Temp\\f0", L"C:\\Temp\\f0\\Updater"},
      {L"C:\\Temp", L"C:\\Apps\\Acme\\Updater.exe", L"C:\\Temp\\f0", L"C:\\Temp\\f0\\Updater"},
      {L"C:\\My Temp\\", L"C:\\Apps\\tool.v2.exe", L"C:\\My Temp\\f0", L"C:\\My Temp\\f0\\tool.v2"},
      {L"C:\\Temp\\", L"C:\\Apps\\Acme\\Updater", L"C:\\Temp\\f0", L"C:\\Temp\\f0\\Updater"},
  };
  for (const Case& c : cases) {
    const TemporaryCopy copy = TemporaryCopyLayout(c.tempPath, L"f0", c.installed);
    const std::string context = Narrow(c.installed) + " in " + Narrow(c.tempPath);
    EXPECT_EQ(c.folder, copy.folder) << context;
    EXPECT_EQ(std::wstring(c.base) + L".exe", copy.executable) << context;
    EXPECT_EQ(std::wstring(c.base) + L".ini", copy.handOverFile) << context;
    EXPECT_EQ(std::wstring(c.base) + L".dat", copy.updateListFile) << context;
  }
}

TEST(TemporaryCopyTest, CommandLineNamesTheKindOfTheCheck) {
  struct Case {
    RunMode mode;
    const wchar_t* kind;
  };
  const Case cases[] = {
      {RunMode::CheckNow, L"checknow"}, {RunMode::SilentCritical, L"silentcritical"},
      {RunMode::JustCheck, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.kind, TemporaryCopyKind(c.mode)) << static_cast<int>(c.mode);
  }
  EXPECT_EQ(L"/install silent \"C:\\My Temp\\f0\\Updater.ini\"",
            TemporaryCopyArguments(L"silent", L"C:\\My Temp\\f0\\Updater.ini", L""));
  EXPECT_EQ(L"/install checknow \"C:\\T\\U.ini\" alice:0A1B",
            TemporaryCopyArguments(L"checknow", L"C:\\T\\U.ini", L"alice:0A1B"));
}

TEST(TemporaryCopyTest, BatchFileHasExactlyTheRemovalLines) {
  const std::wstring expected =
      L"@echo off \r\n"
      L"del \"C:\\T\\f0\\Updater.ini\" \r\n"
      L"del \"C:\\T\\f0\\Updater.dat\" \r\n"
      L":again \r\n"
      L"if not exist \"C:\\T\\f0\\Updater.exe\" goto end \r\n"
      L"if exist \"C:\\T\\f0\\Updater.exe\" del \"C:\\T\\f0\\Updater.exe\" \r\n"
      L"goto again \r\n"
      L":end \r\n"
      L"rmDir \"C:\\T\\f0\" \r\n"
      L"del \"C:\\T\\qzu1.bat\" | cls";
  EXPECT_EQ(expected, RemovalBatchText({L"C:\\T\\f0\\Updater.ini", L"C:\\T\\f0\\Updater.dat"},
                                       L"C:\\T\\f0\\Updater.exe", L"C:\\T\\f0",
                                       L"C:\\T\\qzu1.bat"));
}

TEST(TemporaryCopyTest, HandOverFileSurvivesTheRoundTrip) {
  TempFolder folder;
  HandOverFile written;
  written.realUpdaterPath = L"C:\\Program Files\\Acme App\\Updater.exe";
  written.clientConfigPath = L"C:\\Program Files\\Acme App\\Updater.ini";
  written.serverConfigPath = L"C:\\Users\\Jo Doe\\Temp\\f0\\Updater.dat";
  written.uninstallFilePath = L"C:\\Users\\Jo Doe\\Temp\\qzu1.bat";
  written.url = L"https://example.com/updates/ruddle.ini";
  written.switches.restartPath = L"C:\\Program Files\\Acme App\\\x0416\x0443\x043A.exe";
  written.switches.restartArguments = L"-open \"a file.txt\"";
  written.switches.startMinimized = true;
  written.switches.noGui = true;
  written.switches.forceMsiBasicUi = true;
  const std::wstring path = folder.File(L"hand over.ini");
  ASSERT_EQ(kSuccess, WriteHandOverFile(path, written));

  EXPECT_EQ(std::string("\xFF\xFE", 2), ReadFileBytes(path).substr(0, 2));
  const HandOverFile read = ReadHandOverFile(path);
  EXPECT_EQ(written.realUpdaterPath, read.realUpdaterPath);
  EXPECT_EQ(written.clientConfigPath, read.clientConfigPath);
  EXPECT_EQ(written.serverConfigPath, read.serverConfigPath);
  EXPECT_EQ(written.uninstallFilePath, read.uninstallFilePath);
  EXPECT_EQ(written.url, read.url);
  EXPECT_EQ(written.switches.restartPath, read.switches.restartPath)
      << "a character outside the ANSI code page was lost";
  EXPECT_EQ(written.switches.restartArguments, read.switches.restartArguments);
  EXPECT_TRUE(read.switches.startMinimized);
  EXPECT_TRUE(read.switches.noGui);
  EXPECT_TRUE(read.switches.forceMsiBasicUi);
  EXPECT_FALSE(read.switches.justDownload);
  const IniFile ini(path);
  EXPECT_EQ(L"true", ini.ReadString(L"General", L"NoGUI"));
  EXPECT_EQ(L"", ini.ReadString(L"General", L"IPCObjNameBase"));
}

TEST(TemporaryCopyTest, WithoutSelectedUpdatesNoCopyIsMade) {
  TempFolder folder;
  WriteTextFile(folder.File(L"client.ini"), L"[General]\r\nID=NoCopy\r\n", TextEncoding::Utf16);
  ClientConfig config(folder.File(L"client.ini"));
  UpdateList updates;
  updates.updates.emplace_back().evaluated = true;
  EXPECT_EQ(kSuccess, InstallThroughTemporaryCopy(config, RunContext(), updates, RunMode::SilentAll, L"", L""));
  const std::wstring name = TemporaryFolderName(test::ThisExecutableFolder() + L"\\AppTests.exe");
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  EXPECT_FALSE(FileExists(std::wstring(temp) + name)) << "a copy was made without a selection";
}

// The copy's files as a real hand-over leaves them, and the batch file that removes them.
TEST(TemporaryCopyTest, PreparedCopyIsRemovedByItsBatchFile) {
  TempFolder installed;
  const std::wstring source = installed.File(L"built.exe");
  WriteTextFile(source, L"MZ stands in for the updater", TextEncoding::Ansi);
  InstallHandOver handOver;
  handOver.installedUpdaterPath = installed.File(L"My Updater.exe");
  handOver.clientConfigPath = installed.File(L"My Updater.ini");
  handOver.kind = L"silentall";
  handOver.switches.justDownload = true;
  UpdateList updates;
  UpdateInfo& update = updates.updates.emplace_back();
  update.sectionName = L"Acme 2.0";
  update.name = L"Acme 2.0";
  update.evaluated = true;
  update.selectedForInstall = true;

  TemporaryCopy copy;
  ASSERT_EQ(kSuccess, PrepareTemporaryCopy(source, handOver, updates, &copy));
  const std::wstring folderName = TemporaryFolderName(handOver.installedUpdaterPath);
  EXPECT_NE(std::wstring::npos, copy.folder.find(folderName));
  EXPECT_EQ(copy.folder + L"\\My Updater.exe", copy.executable);
  EXPECT_EQ(ReadFileBytes(source), ReadFileBytes(copy.executable));
  EXPECT_EQ(L"/install silentall \"" + copy.handOverFile + L"\"", copy.arguments);

  const HandOverFile read = ReadHandOverFile(copy.handOverFile);
  EXPECT_EQ(handOver.installedUpdaterPath, read.realUpdaterPath);
  EXPECT_EQ(handOver.clientConfigPath, read.clientConfigPath);
  EXPECT_EQ(copy.updateListFile, read.serverConfigPath);
  EXPECT_EQ(copy.batchFile, read.uninstallFilePath);
  EXPECT_TRUE(read.switches.justDownload);
  EXPECT_EQ(std::vector<std::wstring>{L"Acme 2.0"}, IniFile(copy.updateListFile).ReadSectionNames());

  const std::string batch = ReadFileBytes(copy.batchFile);
  EXPECT_EQ(0u, batch.find("@echo off \r\ndel \"")) << batch;
  EXPECT_NE(std::string::npos, batch.find("del \"" + Narrow(copy.batchPlaceholder) + "\" \r\n"))
      << "the name placeholder would be left behind: " << batch;

  SHELLEXECUTEINFOW run = {};
  run.cbSize = sizeof(run);
  run.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NO_CONSOLE;
  run.lpVerb = L"open";
  run.lpFile = copy.batchFile.c_str();
  run.nShow = SW_HIDE;
  ASSERT_TRUE(ShellExecuteExW(&run)) << GetLastError();
  for (int i = 0; i < 200 && (FileExists(copy.folder) || FileExists(copy.batchFile)); ++i) {
    Sleep(50);
  }
  EXPECT_FALSE(FileExists(copy.folder)) << "the batch file left the copy's folder";
  EXPECT_FALSE(FileExists(copy.batchFile)) << "the batch file did not delete itself";
  EXPECT_FALSE(FileExists(copy.batchPlaceholder));
}

}  // namespace
}  // namespace updater
