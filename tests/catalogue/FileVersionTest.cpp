#include "catalogue/FileVersion.h"

#include <windows.h>

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

struct FindTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value v) { return v != INVALID_HANDLE_VALUE; }
  static void Close(Value v) { FindClose(v); }
};

// Copies the reader left behind: GetTempFileNameW keeps three letters of "shim_clone".
int LeftoverCopies() {
  wchar_t tempFolder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, tempFolder);
  WIN32_FIND_DATAW data;
  const UniqueHandle<FindTraits> find(
      FindFirstFileW((std::wstring(tempFolder) + L"shi*.tmp").c_str(), &data));
  int count = find ? 1 : 0;
  while (find && FindNextFileW(find.Get(), &data)) ++count;
  return count;
}

TEST(FileVersionTest, CopiesOnlyWindowsFolderFilesOnWindows10AndLater) {
  struct Case {
    const wchar_t* path;
    const wchar_t* windowsFolder;
    bool windows10, copy;
  };
  const Case cases[] = {
      {L"C:\\Windows\\System32\\kernel32.dll", L"C:\\Windows", true, true},
      {L"c:\\WINDOWS\\system32\\kernel32.dll", L"C:\\Windows", true, true},
      {L"C:\\WindowsApps\\app.exe", L"C:\\Windows", true, true},
      {L"C:\\Windows\\System32\\kernel32.dll", L"C:\\Windows", false, false},
      {L"C:\\Win", L"C:\\Windows", true, false},
      {L"D:\\Windows\\notepad.exe", L"C:\\Windows", true, false},
      {L"C:\\Windows\\notepad.exe", L"", true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.copy, MustCopyBeforeVersionRead(c.path, c.windowsFolder, c.windows10))
        << Narrow(c.path) << " under " << Narrow(c.windowsFolder) << " windows10 " << c.windows10;
  }
}

TEST(FileVersionTest, ReadsTheFixedFileVersionInPlaceOrFromACopy) {
  const std::wstring testFolder = test::ThisExecutableFolder();
  const std::wstring updater = testFolder.substr(0, testFolder.find_last_of(L'\\')) + L"\\Updater.exe";
  wchar_t systemFolder[MAX_PATH] = {};
  GetSystemDirectoryW(systemFolder, MAX_PATH);
  const std::wstring systemFile = std::wstring(systemFolder) + L"\\kernel32.dll";
  const int leftoversBefore = LeftoverCopies();
  for (const auto read : {ReadFileVersion, ReadFileVersionThroughCopy}) {
    VersionNumber version;
    EXPECT_TRUE(read(updater, &version)) << Narrow(updater);
    EXPECT_TRUE(Equal(VersionNumber(3, 0, 0, 0), version)) << Narrow(version.ToString());
    VersionNumber systemVersion;
    EXPECT_TRUE(read(systemFile, &systemVersion)) << Narrow(systemFile);
    EXPECT_GT(systemVersion.Field(0), 0) << Narrow(systemVersion.ToString());
  }
  EXPECT_EQ(leftoversBefore, LeftoverCopies());
}

TEST(FileVersionTest, FileWithoutVersionGivesZero) {
  const test::TempFolder folder;
  const std::wstring plain = folder.File(L"plain.dll");
  test::WriteTextFile(plain, L"no resources here", test::TextEncoding::Ansi);
  const int leftoversBefore = LeftoverCopies();
  for (const auto read : {ReadFileVersion, ReadFileVersionThroughCopy}) {
    for (const std::wstring& path : {plain, folder.File(L"missing.dll")}) {
      VersionNumber version(1, 2, 3, 4);
      EXPECT_FALSE(read(path, &version)) << Narrow(path);
      EXPECT_TRUE(version.IsZero()) << Narrow(path);
    }
  }
  EXPECT_EQ(leftoversBefore, LeftoverCopies());
}

}  // namespace
}  // namespace updater
