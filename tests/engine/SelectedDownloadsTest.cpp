#include "engine/SelectedDownloads.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "catalogue/DownloadState.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

constexpr wchar_t kGoodSha256[] = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";

// A configuration with its own ID and downloads folder; an update is fetched from a file URL into
// downloads\<section>\setup.exe, as the update configuration file places it.
class DownloadSetup {
 public:
  void Serve(const std::wstring& text) {
    test::WriteTextFile(Source(), text, test::TextEncoding::Ansi);
  }

  UpdateInfo& Add(const std::wstring& section, std::int32_t size) {
    UpdateInfo update;
    update.sectionName = section;
    update.name = section;
    update.size = size;
    update.selectedForInstall = true;
    update.urls = {L"file:///" + Source()};
    update.localFilePath = folder_.File(section + L"\\setup.exe");
    list.updates.push_back(update);
    return list.updates.back();
  }

  // An update whose SHA256 promises "abc" while the source holds "abd".
  UpdateInfo& AddCorrupt(const std::wstring& section) {
    Serve(L"abd");
    UpdateInfo& update = Add(section, 3);
    update.sha256 = kGoodSha256;
    return update;
  }

  ResultCode Run(UpdateEvents& events) {
    const SettingsStore& settings = client_.Config().Settings();
    return DownloadSelectedUpdates(list, client_.Config(), events, [&](const UpdateInfo& update) {
      return GetDownloadState(settings, update);
    });
  }

  bool Recorded(const std::wstring& section, std::wstring* path) const {
    return client_.Config().Settings().ReadString(SettingsKey::Updates, section, path);
  }
  void SetRecord(const std::wstring& section, const std::wstring& path) const {
    client_.Config().Settings().WriteString(SettingsKey::Updates, section, path);
  }
  std::wstring Folder(const std::wstring& section) const { return folder_.File(section); }

  UpdateList list;

 private:
  std::wstring Source() const { return folder_.File(L"source.exe"); }

  test::ScopedClientConfig client_{L"SelectedDownloads"};
  test::TempFolder folder_;
};

bool FolderExists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(SelectedDownloadsTest, FetchesSelectedInstallersAndRecordsThem) {
  DownloadSetup setup;
  setup.Serve(L"abc");
  const UpdateInfo& right = setup.Add(L"Right", 3);
  setup.Add(L"Unselected", 3).selectedForInstall = false;

  EXPECT_EQ(kSuccess, setup.Run(Unobserved()));
  EXPECT_EQ("abc", test::ReadFileBytes(right.localFilePath));
  std::wstring recorded;
  ASSERT_TRUE(setup.Recorded(L"Right", &recorded));
  EXPECT_EQ(right.localFilePath, recorded);
  EXPECT_FALSE(FolderExists(setup.Folder(L"Unselected")));
  EXPECT_FALSE(setup.Recorded(L"Unselected", &recorded));
}

TEST(SelectedDownloadsTest, WrongSizeRemovesFilesFolderAndEarlierRecord) {
  DownloadSetup setup;
  setup.Serve(L"abcd");
  UpdateInfo& wrong = setup.Add(L"Wrong", 3);
  setup.SetRecord(L"Wrong", wrong.localFilePath);

  EXPECT_EQ(kSizeMismatch, setup.Run(Unobserved()));
  EXPECT_EQ(kSizeMismatch, wrong.state);
  EXPECT_FALSE(test::FileExists(wrong.localFilePath));
  EXPECT_FALSE(test::FileExists(wrong.localFilePath + L".part"));
  EXPECT_FALSE(FolderExists(setup.Folder(L"Wrong")));
  std::wstring recorded;
  EXPECT_FALSE(setup.Recorded(L"Wrong", &recorded));
}

TEST(SelectedDownloadsTest, CorruptDownloadIsRemovedAndFetchedAgainFromNothingOnRetry) {
  DownloadSetup setup;
  UpdateInfo& update = setup.AddCorrupt(L"Corrupt");
  test::RecordingEvents callback;
  callback.onMismatch = [&](ResultCode) {
    // The corrupt copy and its record are gone before the user is asked.
    std::wstring recorded;
    EXPECT_FALSE(test::FileExists(update.localFilePath));
    EXPECT_FALSE(test::FileExists(update.localFilePath + L".part"));
    EXPECT_FALSE(setup.Recorded(L"Corrupt", &recorded));
    setup.Serve(L"abc");
    return MismatchAnswer::DownloadAgain;
  };

  EXPECT_EQ(kSuccess, setup.Run(callback));
  EXPECT_EQ(kSuccess, update.state);
  EXPECT_EQ(std::vector<ResultCode>{kSha256Mismatch}, callback.questions);
  using A = UpdateAction;
  EXPECT_EQ((std::vector<A>{A::DownloadBatch, A::DownloadFile, A::CheckSha256, A::DownloadFile,
                            A::CheckSha256}),
            callback.begun);
  EXPECT_EQ("abc", test::ReadFileBytes(update.localFilePath));
  std::wstring recorded;
  EXPECT_TRUE(setup.Recorded(L"Corrupt", &recorded));
}

TEST(SelectedDownloadsTest, EndlessRetryAnswersStopAndLeaveTheUpdateFailed) {
  DownloadSetup setup;
  const UpdateInfo& update = setup.AddCorrupt(L"Corrupt");
  test::RecordingEvents callback;
  callback.onMismatch = [](ResultCode) { return MismatchAnswer::DownloadAgain; };

  EXPECT_EQ(kSha256Mismatch, setup.Run(callback));
  EXPECT_EQ(kSha256Mismatch, update.state);
  EXPECT_GT(callback.questions.size(), 1u);
  EXPECT_LE(callback.questions.size(), 20u) << "the retries are not bounded";
  EXPECT_FALSE(test::FileExists(update.localFilePath));
}

TEST(SelectedDownloadsTest, CancelAnswerToACorruptDownloadEndsTheBatch) {
  DownloadSetup setup;
  const UpdateInfo& first = setup.AddCorrupt(L"First");
  const UpdateInfo& second = setup.Add(L"Second", 3);
  test::RecordingEvents callback;
  callback.onMismatch = [](ResultCode) { return MismatchAnswer::Cancel; };

  EXPECT_EQ(kCanceled, setup.Run(callback));
  EXPECT_EQ(kCanceled, first.state);
  EXPECT_FALSE(test::FileExists(second.localFilePath));
}

}  // namespace
}  // namespace updater
