#include "transfer/ContentCheck.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "TestSupport.h"
#include "TransferTestSupport.h"

namespace updater {
namespace {

using test::RecordingCallback;

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
    std::vector<std::int32_t> actions;
  };
  const std::wstring sha = kAbcSha256;
  const std::wstring md5 = kAbcMd5;
  const std::vector<std::int32_t> sha256Action = {kActionCheckSha256};
  const std::vector<std::int32_t> md5Action = {kActionCheckMd5};
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
    RecordingCallback callback;
    int removals = 0;
    const ContentCheckOutcome outcome =
        CheckDownloadedContent(path, c.expected, &callback, [&] { ++removals; });

    EXPECT_EQ(c.state, outcome.state) << c.what;
    EXPECT_FALSE(outcome.downloadAgain) << c.what;
    EXPECT_EQ(c.actions, callback.begun) << c.what;
    std::vector<std::pair<std::int32_t, ResultCode>> ended;
    for (const std::int32_t action : c.actions) ended.emplace_back(action, c.state);
    EXPECT_EQ(ended, callback.ended) << c.what;
    const bool failed = c.state != kSuccess;
    EXPECT_EQ(failed ? 1 : 0, removals) << c.what;
    EXPECT_EQ(failed ? std::vector<ResultCode>{c.state} : std::vector<ResultCode>{},
              callback.errors)
        << c.what;
  }
}

TEST(ContentCheckTest, AnswerToAMismatchDecidesBetweenRetryCancelAndFailure) {
  struct Case {
    ResultCode mismatch;
    ResultCode answer;
    ResultCode state;
    bool downloadAgain;
  };
  const Case cases[] = {
      {kSha256Mismatch, ERROR_RETRY, kSha256Mismatch, true},
      {kMd5Mismatch, ERROR_RETRY, kMd5Mismatch, true},
      {kSha256Mismatch, kCanceled, kCanceled, false},
      {kMd5Mismatch, 0, kMd5Mismatch, false},
      {kMd5Mismatch, kMd5Mismatch, kMd5Mismatch, false},
      // The size comes from the same server; asking again would not change it.
      {kSizeMismatch, ERROR_RETRY, kSizeMismatch, false},
      {kSizeMismatch, kCanceled, kSizeMismatch, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.mismatch << " answered " << c.answer);
    const ContentCheckOutcome outcome = AnswerContentMismatch(c.mismatch, c.answer);
    EXPECT_EQ(c.state, outcome.state);
    EXPECT_EQ(c.downloadAgain, outcome.downloadAgain);
  }
}

TEST(ContentCheckTest, CancelAnswerEndsTheActionAsCanceled) {
  const AbcDownload download;
  RecordingCallback callback;
  callback.onError = [](const wchar_t*, ResultCode, void*) { return kCanceled; };
  EXPECT_EQ(kCanceled,
            CheckDownloadedContent(download.path, {3, kOtherSha256, L""}, &callback, [] {}).state);
  EXPECT_EQ((std::vector<std::pair<std::int32_t, ResultCode>>{{kActionCheckSha256, kCanceled}}),
            callback.ended);
}

TEST(ContentCheckTest, WorksWithoutCallback) {
  const AbcDownload download;
  int removals = 0;
  const ContentCheckOutcome outcome =
      CheckDownloadedContent(download.path, {3, L"", kOtherMd5}, nullptr, [&] { ++removals; });
  EXPECT_EQ(kMd5Mismatch, outcome.state);
  EXPECT_FALSE(outcome.downloadAgain);
  EXPECT_EQ(1, removals);
}

}  // namespace
}  // namespace updater
