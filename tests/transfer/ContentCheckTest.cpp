#include "transfer/ContentCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>
#include <utility>
#include <vector>

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

TEST(Md5Test, DigestsMessagesAroundThePaddingLimitAndTheBlockInAnyPieces) {
  const std::pair<std::size_t, const wchar_t*> cases[] = {
      {0, kEmptyMd5}, {300, L"4e5475d125a33c6190718e75adc1b704"},
      {55, L"ef1772b6dff9a122358552954ad0df65"}, {56, L"3b0c8ac703f828b04c6c197006d17218"},
      {64, L"014842d480b571495a4a0363793f7367"}, {65, L"c743a45e0d2e6a95cb859adae0248435"}};
  for (const auto& [length, expected] : cases) {
    const std::string bytes(length, 'a');
    for (const std::size_t piece : {1u, 13u, 64u, 100u}) {
      Md5 md5;
      for (std::size_t at = 0; at < length; at += piece) {
        md5.Update(bytes.data() + at, std::min(piece, length - at));
      }
      EXPECT_EQ(expected, Md5LowerHex(md5.Final())) << "length " << length << ", pieces " << piece;
    }
  }
}

TEST(DigestFileTest, HashesFilesOfManyBlocksFromTheStartAndKeepsTheDigestOnError) {
  const test::TempFolder folder;
  test::WriteBytes(folder.File(L"long.bin"), std::string(1000000, 'a'));  // many 64 KiB blocks
  const FileHandle file(CreateFileW(folder.File(L"long.bin").c_str(), GENERIC_READ,
                                    FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::vector<unsigned char> digest;
  ASSERT_EQ(kSuccess, ComputeSHA256(file.Get(), &digest));
  EXPECT_EQ(L"CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0",
            ToHexText(digest));
  EXPECT_TRUE(CheckMD5(file.Get(), L"7707d6ae4e027c70eea2a935c2296f21")) << "read to its end";
  digest = {1, 2, 3};
  EXPECT_EQ(static_cast<ResultCode>(ERROR_INVALID_HANDLE),
            ComputeSHA256(INVALID_HANDLE_VALUE, &digest));
  EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}), digest);
}

TEST(ContentCheckTest, ChecksOneDigestOrTheSizeAndRemovesWhatFails) {
  const std::wstring sha = kAbcSha256, md5 = kAbcMd5;
  const wchar_t lowerSha[] = L"ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad";
  using A = std::vector<UpdateAction>;
  const A shaAction = {UpdateAction::CheckSha256}, md5Action = {UpdateAction::CheckMd5};
  // file bytes (null: no file), expected content, result, actions announced
  const std::tuple<const char*, ExpectedContent, ResultCode, A> cases[] = {
      {"abc", {3, sha, kEmptyMd5}, kSuccess, shaAction},  // SHA256 wins over a wrong MD5
      {"abc", {3, kEmptySha256, md5}, kSha256Mismatch, shaAction},
      {"abc", {3, lowerSha, L""}, kSuccess, shaAction},
      {"abc", {3, sha + L"0", L""}, kSha256Mismatch, shaAction},
      {nullptr, {0, sha, L""}, kSha256Mismatch, shaAction},
      {"abc", {3, L"", md5 + L"-extra"}, kSuccess, md5Action},
      {"abc", {3, L"", L"900150983CD24FB0D6963F7D28E17F72"}, kSuccess, md5Action},
      {"abc", {3, L"", kEmptyMd5}, kMd5Mismatch, md5Action},
      {"abc", {3, L"", md5.substr(0, 31)}, kMd5Mismatch, md5Action},
      {"", {0, L"", kEmptyMd5}, kMd5Mismatch, md5Action},  // an empty file is never right
      {"abc", {3, L"", L""}, kSuccess, {}},
      {"abcd", {3, L"", L""}, kSizeMismatch, {}},
  };
  for (const auto& [bytes, expected, state, actions] : cases) {
    const test::TempFolder folder;
    const std::wstring path = folder.File(L"setup.exe");
    if (bytes != nullptr) test::WriteBytes(path, bytes);
    test::RecordingEvents callback;
    int removals = 0;
    const ContentCheckOutcome outcome =
        CheckDownloadedContent(path, expected, callback, [&] { ++removals; });
    SCOPED_TRACE(test::Narrow(expected.sha256 + L" " + expected.md5) + " " + (bytes ? bytes : "-"));
    EXPECT_EQ(std::make_tuple(state, false, state != kSuccess ? 1 : 0, actions),
              std::make_tuple(outcome.state, outcome.downloadAgain, removals, callback.begun));
    std::vector<std::pair<UpdateAction, ResultCode>> ended;
    for (const UpdateAction action : actions) ended.emplace_back(action, state);
    EXPECT_EQ(ended, callback.ended);
    // A digest mismatch is a question (download again?); a wrong size only a failure.
    EXPECT_EQ(state != kSuccess ? std::vector<ResultCode>{state} : std::vector<ResultCode>{},
              actions.empty() ? callback.failures : callback.questions);
  }
}

}  // namespace
}  // namespace updater
