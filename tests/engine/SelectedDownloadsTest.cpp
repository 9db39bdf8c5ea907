#include "engine/SelectedDownloads.h"

#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "TestSupport.h"
#include "catalogue/DownloadState.h"
#include "config/ClientConfig.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

// A configuration with its own ID and downloads folder; each update is fetched from a file URL of
// its own into downloads\<section>\setup.exe, as the update configuration file places it.
class DownloadSetup {
 public:
  UpdateInfo& Add(const std::wstring& section, std::int32_t size, const std::wstring& bytes) {
    UpdateInfo& update = list.updates.emplace_back();
    update.sectionName = update.name = section;
    update.size = size;
    update.selectedForInstall = true;
    Serve(section, bytes);
    update.urls = {L"file:///" + folder_.File(section + L".src")};
    update.localFilePath = folder_.File(section + L"\\setup.exe");
    return update;
  }
  void Serve(const std::wstring& section, const std::wstring& bytes) const {
    test::WriteTextFile(folder_.File(section + L".src"), bytes, test::TextEncoding::Ansi);
  }
  // An update whose SHA256 promises "abc" while its source holds "abd".
  UpdateInfo& AddCorrupt(const std::wstring& section) {
    UpdateInfo& update = Add(section, 3, L"abd");
    update.sha256 = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
    return update;
  }

  ResultCode Run(UpdateEvents& events) {
    const SettingsStore& settings = Settings();
    return DownloadSelectedUpdates(list, client_.Config(), events, [&](const UpdateInfo& update) {
      return GetDownloadState(settings, update);
    }, nullptr);
  }
  const SettingsStore& Settings() const { return client_.Config().Settings(); }
  std::wstring Recorded(const std::wstring& section) const {
    std::wstring path;
    Settings().ReadString(SettingsKey::Updates, section, &path);
    return path;
  }
  std::wstring Folder(const std::wstring& section) const { return folder_.File(section); }

  UpdateList list;

 private:
  test::ScopedClientConfig client_{L"SelectedDownloads"};
  test::TempFolder folder_;
};

TEST(SelectedDownloadsTest, FetchesAndRecordsTheSelectedAndRemovesAWrongSizeWithItsRecord) {
  DownloadSetup setup;
  const UpdateInfo& wrong = setup.Add(L"Wrong", 3, L"abcd");
  const UpdateInfo& right = setup.Add(L"Right", 3, L"abc");
  setup.Add(L"Unselected", 3, L"abc").selectedForInstall = false;
  setup.Settings().WriteString(SettingsKey::Updates, L"Wrong", wrong.localFilePath);
  setup.Settings().WriteString(SettingsKey::Updates, L"Right", L"C:\\earlier\\setup.exe");

  // The first failure is the batch's, and it does not keep the others from downloading.
  EXPECT_EQ(kSizeMismatch, setup.Run(Unobserved()));
  EXPECT_EQ(kSizeMismatch, wrong.state);
  EXPECT_EQ("abc", test::ReadFileBytes(right.localFilePath));
  EXPECT_EQ(right.localFilePath, setup.Recorded(L"Right"));
  for (const wchar_t* section : {L"Wrong", L"Unselected"}) {
    EXPECT_FALSE(test::FileExists(setup.Folder(section))) << test::Narrow(section);
    EXPECT_EQ(L"", setup.Recorded(section)) << test::Narrow(section);
  }
}

TEST(SelectedDownloadsTest, CorruptDownloadIsRemovedAndFetchedAgainUntilRightOrCanceled) {
  // Whether the source holds the right bytes once asked, the answer, the result, questions asked.
  const std::tuple<bool, MismatchAnswer, ResultCode, std::size_t> cases[] = {
      {true, MismatchAnswer::DownloadAgain, kSuccess, 1},
      {false, MismatchAnswer::DownloadAgain, kSha256Mismatch, 11},  // endless retries stop
      {false, MismatchAnswer::Cancel, kCanceled, 1},                // and a cancel ends the batch
  };
  for (const auto& [fixed, answer, result, questions] : cases) {
    DownloadSetup setup;
    const UpdateInfo& corrupt = setup.AddCorrupt(L"Corrupt");
    const UpdateInfo& next = setup.Add(L"Next", 3, L"abc");
    test::RecordingEvents events;
    events.onMismatch = [&, fixed = fixed, answer = answer](ResultCode) {
      // The corrupt copy and its record are gone before the user is asked.
      EXPECT_FALSE(test::FileExists(corrupt.localFilePath) ||
                   test::FileExists(corrupt.localFilePath + L".part"));
      EXPECT_EQ(L"", setup.Recorded(L"Corrupt"));
      if (fixed) setup.Serve(L"Corrupt", L"abc");
      return answer;
    };
    EXPECT_EQ(result, setup.Run(events)) << result;
    EXPECT_EQ(result, corrupt.state) << result;
    EXPECT_EQ(std::vector<ResultCode>(questions, kSha256Mismatch), events.questions) << result;
    const bool fetched = result == kSuccess;
    EXPECT_EQ(fetched ? "abc" : "", test::ReadFileBytes(corrupt.localFilePath)) << result;
    EXPECT_EQ(fetched ? corrupt.localFilePath : L"", setup.Recorded(L"Corrupt")) << result;
    EXPECT_EQ(result != kCanceled, test::FileExists(next.localFilePath)) << result;
    using A = UpdateAction;
    const std::vector<A> fetchedAgain = {A::DownloadBatch, A::DownloadFile, A::CheckSha256,
                                         A::DownloadFile, A::CheckSha256, A::DownloadFile};
    EXPECT_TRUE(!fetched || events.begun == fetchedAgain) << "announced actions";
  }
}

}  // namespace
}  // namespace updater
