#include "catalogue/DownloadState.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "catalogue/UpdateInfo.h"

namespace updater {
namespace {

using test::FileExists;
using test::TempFolder;

TEST(DownloadStateTest, KeepsWhatCanBeUsedAndRemovesTheRest) {
  constexpr int kNone = -1;  // no such file
  struct Case {
    const char* what;
    int fileSize, partSize;
    DownloadState state;
    bool removed;
  };
  // The update's size is 10 throughout.
  const Case cases[] = {
      {"nothing on disk", kNone, kNone, DownloadState::ToDownload, false},
      {"complete file", 10, kNone, DownloadState::Downloaded, false},
      {"short file", 9, kNone, DownloadState::ToDownload, true},
      {"long file", 11, kNone, DownloadState::ToDownload, true},
      {"resumable part", kNone, 4, DownloadState::ToDownload, false},
      {"empty part", kNone, 0, DownloadState::ToDownload, false},
      {"part of full size", kNone, 10, DownloadState::ToDownload, true},
      {"part beyond the size", kNone, 12, DownloadState::ToDownload, true},
      {"complete file beside a resumable part", 10, 4, DownloadState::ToDownload, false},
      {"complete file beside a full part", 10, 10, DownloadState::ToDownload, true},
  };
  const test::ScopedClientConfig client(L"DownloadState");
  for (const Case& c : cases) {
    const TempFolder folder;
    UpdateInfo update;
    update.size = 10;
    update.localFilePath = folder.File(L"setup.exe");
    const std::wstring partPath = update.localFilePath + L".part";
    for (const auto& [path, size] : {std::make_pair(update.localFilePath, c.fileSize),
                                     std::make_pair(partPath, c.partSize)}) {
      if (size != kNone) test::WriteTextFile(path, std::wstring(size, L'x'), test::TextEncoding::Ansi);
    }
    EXPECT_EQ(c.state, GetDownloadState(client.Config().Settings(), update)) << c.what;
    EXPECT_EQ(c.fileSize != kNone && !c.removed, FileExists(update.localFilePath)) << c.what;
    EXPECT_EQ(c.partSize != kNone && !c.removed, FileExists(partPath)) << c.what;
  }
}

TEST(DownloadStateTest, UpdateWithoutPathTouchesNothing) {
  const TempFolder folder;
  const std::wstring strayPart = folder.File(L".part");
  test::WriteTextFile(strayPart, L"0123456789AB", test::TextEncoding::Ansi);
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryW(folder.Path().c_str()));
  const test::ScopedClientConfig client(L"DownloadState");
  UpdateInfo update;
  update.size = 10;
  const DownloadState state = GetDownloadState(client.Config().Settings(), update);
  SetCurrentDirectoryW(previous);
  EXPECT_EQ(DownloadState::ToDownload, state);
  EXPECT_TRUE(FileExists(strayPart));
}

}  // namespace
}  // namespace updater
