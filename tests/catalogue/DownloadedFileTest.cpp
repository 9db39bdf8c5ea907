#include "catalogue/DownloadedFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "catalogue/UpdateInfo.h"

namespace updater {
namespace {

using test::FileExists;
using test::TempFolder;

// Whether the client's settings hold a record for the section, and which path.
bool Recorded(const test::ScopedClientConfig& client, const std::wstring& section,
              std::wstring* path) {
  return client.Config().Settings().ReadString(SettingsKey::Updates, section, path);
}

UpdateInfo UpdateIn(const std::wstring& folder) {
  UpdateInfo update;
  update.sectionName = L"Update 1";
  update.localFilePath = folder + L"\\Update 1\\setup.exe";
  return update;
}

void Touch(const std::wstring& path) { test::WriteTextFile(path, L"x", test::TextEncoding::Ansi); }

TEST(DownloadedFileTest, RecordKeepsTheLatestPathOfEachUpdate) {
  const test::ScopedClientConfig client(L"DownloadedFile");
  const TempFolder downloads;
  UpdateInfo update = UpdateIn(downloads.Path());
  RecordDownloadedFile(client.Config().Settings(), update);
  std::wstring recorded;
  ASSERT_TRUE(Recorded(client, L"Update 1", &recorded));
  EXPECT_EQ(update.localFilePath, recorded);

  update.localFilePath = downloads.File(L"Update 1\\setup-2.exe");
  RecordDownloadedFile(client.Config().Settings(), update);
  ASSERT_TRUE(Recorded(client, L"Update 1", &recorded));
  EXPECT_EQ(update.localFilePath, recorded);
}

TEST(DownloadedFileTest, RemovalTakesFilesRecordAndTheFolderWhenNothingElseIsInIt) {
  struct Case {
    const char* what;
    bool file, part, neighbour;
  };
  const Case cases[] = {
      {"file only", true, false, false},
      {"partial file only", false, true, false},
      {"both", true, true, false},
      {"nothing on disk", false, false, false},
      {"another file beside them", true, true, true},
  };
  for (const Case& c : cases) {
    const test::ScopedClientConfig client(L"DownloadedFile");
    const TempFolder downloads;
    const UpdateInfo update = UpdateIn(downloads.Path());
    const std::wstring folder = downloads.File(L"Update 1");
    CreateDirectoryW(folder.c_str(), nullptr);
    if (c.file) Touch(update.localFilePath);
    if (c.part) Touch(update.localFilePath + L".part");
    if (c.neighbour) Touch(folder + L"\\readme.txt");
    RecordDownloadedFile(client.Config().Settings(), update);

    RemoveDownloadedFile(client.Config().Settings(), update);

    EXPECT_FALSE(FileExists(update.localFilePath)) << c.what;
    EXPECT_FALSE(FileExists(update.localFilePath + L".part")) << c.what;
    EXPECT_EQ(c.neighbour, GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES)
        << c.what;
    std::wstring recorded;
    EXPECT_FALSE(Recorded(client, L"Update 1", &recorded)) << c.what;
  }
}

TEST(DownloadedFileTest, UpdateWithoutPathLeavesTheCurrentFolderAlone) {
  // Without a path, ".part" would be a file of the current folder.
  const test::ScopedClientConfig client(L"DownloadedFile");
  const TempFolder current;
  Touch(current.File(L".part"));
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(current.Path().c_str()));
  RemoveDownloadedFile(client.Config().Settings(), UpdateInfo());
  SetCurrentDirectoryW(previous);
  EXPECT_TRUE(FileExists(current.File(L".part")));
}

}  // namespace
}  // namespace updater
