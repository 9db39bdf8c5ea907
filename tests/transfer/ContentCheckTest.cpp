#include "transfer/ContentCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "TransferTestSupport.h"
#include "transfer/HexText.h"
#include "transfer/Md5.h"
#include "transfer/Md5File.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {


constexpr wchar_t kAbcSha256[] =
    L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD";
constexpr wchar_t kAbcMd5[] = L"900150983cd24fb0d6963f7d28e17f72";
constexpr wchar_t kEmptySha256[] =
    L"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855";
constexpr wchar_t kEmptyMd5[] = L"d41d8cd98f00b204e9800998ecf8427e";

TEST(Md5Test, AgreesWithCryptoApiForEveryLengthAroundTheBlockAndPieceSize) {
  // Every length around the 56-byte padding limit and the 64-byte block, in uneven pieces.
  const std::string bytes = test::PatternBytes(300, 7);
  for (std::size_t length = 0; length <= bytes.size(); ++length) {
    const std::wstring expected = test::CryptoApiMd5Hex(bytes.substr(0, length));
    for (const std::size_t piece : {1u, 13u, 64u, 100u}) {
      Md5 md5;
      for (std::size_t at = 0; at < length; at += piece) {
        md5.Update(bytes.data() + at, std::min(piece, length - at));
      }
      EXPECT_EQ(expected, Md5LowerHex(md5.Final())) << "length " << length << ", pieces " << piece;
    }
  }
}

TEST(Md5FileTest, ComparesTheFirst32DigitsOfFilesOfAnyLengthButNeverEmptyOrMissingOnes) {
  const test::TempFolder folder;
  test::WriteBytes(folder.File(L"abc.bin"), "abc");
  const std::wstring digest = kAbcMd5;
  const std::pair<std::wstring, bool> cases[] = {
      {L"900150983CD24FB0D6963F7D28E17F72", true}, {digest.substr(0, 31), false},
      {digest.substr(0, 31) + L"3", false},        {L"8" + digest.substr(1), false},
      {L"900150983cd24fb0d6963f7d28e17f7g", false}, {L"", false}};
  for (const auto& [expected, matches] : cases) {
    EXPECT_EQ(matches, CheckMD5(folder.File(L"abc.bin"), expected)) << test::Narrow(expected);
  }
  // An empty file is refused before it is hashed, even against the digest of no bytes.
  test::WriteBytes(folder.File(L"empty.bin"), "");
  EXPECT_FALSE(CheckMD5(folder.File(L"empty.bin"), kEmptyMd5));
  EXPECT_FALSE(CheckMD5(folder.File(L"missing.bin"), kAbcMd5));
  const std::string longer = test::PatternBytes(2 * 65536 + 1000, 3);  // two 64 KiB blocks and more
  test::WriteBytes(folder.File(L"long.bin"), longer);
  EXPECT_TRUE(CheckMD5(folder.File(L"long.bin"), test::CryptoApiMd5Hex(longer)));
}

TEST(Sha256FileTest, DigestsKnownMessagesAcrossBlockBoundariesAndKeepsTheDigestOnError) {
  const std::pair<std::string, const wchar_t*> cases[] = {
      {"", kEmptySha256},
      {"abc", kAbcSha256},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       L"248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(1000000, 'a'),
       L"CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  const test::TempFolder folder;
  for (const auto& [bytes, expected] : cases) {
    test::WriteBytes(folder.File(L"message.bin"), bytes);
    std::vector<unsigned char> digest;
    ASSERT_EQ(kSuccess, ComputeSHA256(folder.File(L"message.bin"), &digest)) << bytes.size();
    EXPECT_EQ(std::wstring(expected), ToHexText(digest)) << bytes.size() << " bytes";
  }
  std::vector<unsigned char> digest = {1, 2, 3};
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_NOT_FOUND),
            ComputeSHA256(folder.File(L"missing.bin"), &digest));
  EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}), digest);
}

TEST(ContentCheckTest, ChecksOneDigestOrTheSizeAndRemovesWhatFails) {
  const std::wstring sha = kAbcSha256;
  const std::wstring md5 = kAbcMd5;
  std::wstring lowerSha = sha;
  std::transform(lowerSha.begin(), lowerSha.end(), lowerSha.begin(), towlower);
  const std::vector<UpdateAction> shaAction = {UpdateAction::CheckSha256};
  const std::vector<UpdateAction> md5Action = {UpdateAction::CheckMd5};
  // file bytes (null: no file), expected content, result, actions announced
  const std::tuple<const char*, ExpectedContent, ResultCode, std::vector<UpdateAction>> cases[] = {
      {"abc", {3, sha, kEmptyMd5}, kSuccess, shaAction},  // SHA256 wins over a wrong MD5
      {"abc", {3, kEmptySha256, md5}, kSha256Mismatch, shaAction},
      {"abc", {3, lowerSha, L""}, kSuccess, shaAction},
      {"abc", {3, sha + L"0", L""}, kSha256Mismatch, shaAction},
      {nullptr, {0, sha, L""}, kSha256Mismatch, shaAction},
      {"abc", {3, L"", md5 + L"-extra"}, kSuccess, md5Action},
      {"abc", {3, L"", kEmptyMd5}, kMd5Mismatch, md5Action},
      {"", {0, L"", kEmptyMd5}, kMd5Mismatch, md5Action},
      {"abc", {3, L"", L""}, kSuccess, {}},
      {"abcd", {3, L"", L""}, kSizeMismatch, {}},
      {nullptr, {1, L"", L""}, kSizeMismatch, {}},
  };
  for (const auto& [bytes, expected, state, actions] : cases) {
    const test::TempFolder folder;
    const std::wstring path = folder.File(L"setup.exe");
    if (bytes != nullptr) test::WriteBytes(path, bytes);
    test::RecordingEvents callback;
    int removals = 0;
    const ContentCheckOutcome outcome =
        CheckDownloadedContent(path, expected, callback, [&] { ++removals; });
    const std::string what = test::Narrow(expected.sha256 + L"/" + expected.md5) + " " +
                             (bytes ? bytes : "(none)");
    EXPECT_EQ(state, outcome.state) << what;
    EXPECT_FALSE(outcome.downloadAgain) << what;
    EXPECT_EQ(actions, callback.begun) << what;
    std::vector<std::pair<UpdateAction, ResultCode>> ended;
    for (const UpdateAction action : actions) ended.emplace_back(action, state);
    EXPECT_EQ(ended, callback.ended) << what;
    EXPECT_EQ(state != kSuccess ? 1 : 0, removals) << what;
    // A digest mismatch is a question (download again?); a wrong size only a failure.
    EXPECT_EQ(state != kSuccess ? std::vector<ResultCode>{state} : std::vector<ResultCode>{},
              actions.empty() ? callback.failures : callback.questions)
        << what;
  }
}

TEST(ContentCheckTest, AnswerToAMismatchDecidesBetweenRetryCancelAndFailure) {
  // The size comes from the same server; asking again would not change it.
  using A = MismatchAnswer;
  const std::tuple<ResultCode, A, ResultCode, bool> cases[] = {
      {kSha256Mismatch, A::DownloadAgain, kSha256Mismatch, true},
      {kMd5Mismatch, A::DownloadAgain, kMd5Mismatch, true},
      {kSha256Mismatch, A::Cancel, kCanceled, false},
      {kMd5Mismatch, A::Keep, kMd5Mismatch, false},
      {kSizeMismatch, A::DownloadAgain, kSizeMismatch, false},
      {kSizeMismatch, A::Cancel, kSizeMismatch, false},
  };
  for (const auto& [mismatch, answer, state, downloadAgain] : cases) {
    const ContentCheckOutcome outcome = AnswerContentMismatch(mismatch, answer);
    EXPECT_EQ(std::make_pair(state, downloadAgain),
              std::make_pair(outcome.state, outcome.downloadAgain))
        << std::hex << mismatch << " answered " << static_cast<int>(answer);
  }
  // A cancel answer ends the check's action as canceled.
  const test::TempFolder folder;
  test::WriteBytes(folder.File(L"setup.exe"), "abc");
  test::RecordingEvents callback;
  callback.onMismatch = [](ResultCode) { return A::Cancel; };
  EXPECT_EQ(kCanceled, CheckDownloadedContent(folder.File(L"setup.exe"), {3, kEmptySha256, L""},
                                              callback, [] {})
                           .state);
  EXPECT_EQ((std::vector<std::pair<UpdateAction, ResultCode>>{{UpdateAction::CheckSha256,
                                                                kCanceled}}),
            callback.ended);
}

}  // namespace
}  // namespace updater
