#include "transfer/ContentCheck.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "TestSupport.h"
#include "TransferTestSupport.h"

namespace updater {
namespace {


constexpr wchar_t kAbcSha256[] = L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
constexpr wchar_t kAbcSha256Lower[] =
    L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
constexpr wchar_t kAbcMd5[] = L"900150983cd24fb0d6963f7d28e17f72";
constexpr wchar_t kOtherSha256[] =
    L"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
constexpr wchar_t kOtherMd5[] = L"d41d8cd98f00b204e9800998ecf8427e";

// A folder holding setup.exe with the three bytes "abc".
struct AbcDownload {
  AbcDownload() { test::WriteBytes(path, "abc"); }
  const test::TempFolder folder;
  const std::wstring path = folder.File(L"setup.exe");
};

TEST(ContentCheckTest, ChecksOneDigestOrTheSizeAndRemovesWhatFails) {
  struct Case {
    const char* what;
    const char* bytes;  // null: no file at all
    ExpectedContent expected;
    ResultCode state;
    std::vector<UpdateAction> actions;
  };
  const std::wstring sha = kAbcSha256;
  const std::wstring md5 = kAbcMd5;
  const std::vector<UpdateAction> sha256Action = {UpdateAction::CheckSha256};
  const std::vector<UpdateAction> md5Action = {UpdateAction::CheckMd5};
  const Case cases[] = {
      {"SHA256 wins over a wrong MD5", "abc", {3, sha, kOtherMd5}, kSuccess, sha256Action},
      {"a wrong SHA256 fails despite a right MD5", "abc", {3, kOtherSha256, md5}, kSha256Mismatch,
       sha256Action},
      {"lower-case SHA256", "abc", {3, kAbcSha256Lower, L""}, kSuccess, sha256Action},
      {"SHA256 with a further character", "abc", {3, sha + L"0", L""}, kSha256Mismatch,
       sha256Action},
      {"SHA256 of a missing file", nullptr, {0, sha, L""}, kSha256Mismatch, sha256Action},
      {"MD5 with further characters", "abc", {3, L"", md5 + L"-extra"}, kSuccess, md5Action},
      {"wrong MD5", "abc", {3, L"", kOtherMd5}, kMd5Mismatch, md5Action},
      {"empty file, MD5 of no bytes", "", {0, L"", kOtherMd5}, kMd5Mismatch, md5Action},
      {"size only", "abc", {3, L"", L""}, kSuccess, {}},
      {"size one byte short of the file", "abcd", {3, L"", L""}, kSizeMismatch, {}},
      {"size of a missing file", nullptr, {1, L"", L""}, kSizeMismatch, {}},
  };
  for (const Case& c : cases) {
    const test::TempFolder folder;
    const std::wstring path = folder.File(L"setup.exe");
    if (c.bytes != nullptr) test::WriteBytes(path, c.bytes);
    test::RecordingEvents callback;
    int removals = 0;
    const ContentCheckOutcome outcome =
        CheckDownloadedContent(path, c.expected, callback, [&] { ++removals; });

    EXPECT_EQ(c.state, outcome.state) << c.what;
    EXPECT_FALSE(outcome.downloadAgain) << c.what;
    EXPECT_EQ(c.actions, callback.begun) << c.what;
    std::vector<std::pair<UpdateAction, ResultCode>> ended;
    for (const UpdateAction action : c.actions) ended.emplace_back(action, c.state);
    EXPECT_EQ(ended, callback.ended) << c.what;
    const bool failed = c.state != kSuccess;
    EXPECT_EQ(failed ? 1 : 0, removals) << c.what;
    // A digest mismatch is a question (download again?); a wrong size only a failure.
    EXPECT_EQ(failed ? std::vector<ResultCode>{c.state} : std::vector<ResultCode>{},
              c.actions.empty() ? callback.failures : callback.questions)
        << c.what;
  }
}

TEST(ContentCheckTest, AnswerToAMismatchDecidesBetweenRetryCancelAndFailure) {
  struct Case {
    ResultCode mismatch;
    MismatchAnswer answer;
    ResultCode state;
    bool downloadAgain;
  };
  const Case cases[] = {
      {kSha256Mismatch, MismatchAnswer::DownloadAgain, kSha256Mismatch, true},
      {kMd5Mismatch, MismatchAnswer::DownloadAgain, kMd5Mismatch, true},
      {kSha256Mismatch, MismatchAnswer::Cancel, kCanceled, false},
      {kMd5Mismatch, MismatchAnswer::Keep, kMd5Mismatch, false},
      // The size comes from the same server; asking again would not change it.
      {kSizeMismatch, MismatchAnswer::DownloadAgain, kSizeMismatch, false},
      {kSizeMismatch, MismatchAnswer::Cancel, kSizeMismatch, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.mismatch << " answered "
                                    << static_cast<int>(c.answer));
    const ContentCheckOutcome outcome = AnswerContentMismatch(c.mismatch, c.answer);
    EXPECT_EQ(c.state, outcome.state);
    EXPECT_EQ(c.downloadAgain, outcome.downloadAgain);
  }
}

TEST(ContentCheckTest, CancelAnswerEndsTheActionAsCanceled) {
  const AbcDownload download;
  test::RecordingEvents callback;
  callback.onMismatch = [](ResultCode) { return MismatchAnswer::Cancel; };
  EXPECT_EQ(kCanceled,
            CheckDownloadedContent(download.path, {3, kOtherSha256, L""}, callback, [] {}).state);
  EXPECT_EQ((std::vector<std::pair<UpdateAction, ResultCode>>{
                {UpdateAction::CheckSha256, kCanceled}}),
            callback.ended);
}

}  // namespace
}  // namespace updater
