#include "transfer/Sha256File.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "TransferTestSupport.h"
#include "transfer/HexText.h"

namespace updater {
namespace {

TEST(Sha256FileTest, DigestsKnownMessagesAcrossBlockBoundaries) {
  struct Case {
    std::string bytes;
    const wchar_t* digest;
  };
  const Case cases[] = {
      {"", L"E3B0C44298FC1C149AFBF4C8996FB92427AE41E4649B934CA495991B7852B855"},
      {"abc", L"BA7816BF8F01CFEA414140DE5DAE2223B00361A396177A9CB410FF61F20015AD"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       L"248D6A61D20638B8E5C026930C3E6039A33CE45964FF2167F6ECEDD419DB06C1"},
      {std::string(1000000, 'a'),
       L"CDC76E5C9914FB9281A1C7E284D73E67F1809A48A497200E046D39CCC7112CD0"},
  };
  const test::TempFolder folder;
  const std::wstring path = folder.File(L"message.bin");
  for (const Case& c : cases) {
    test::WriteBytes(path, c.bytes);
    std::vector<unsigned char> digest;
    ASSERT_EQ(kSuccess, ComputeSHA256(path, &digest)) << c.bytes.size() << " bytes";
    EXPECT_EQ(std::wstring(c.digest), ToHexText(digest)) << c.bytes.size() << " bytes";
  }
}

TEST(Sha256FileTest, MissingFileGivesTheOpenErrorAndKeepsTheDigest) {
  const test::TempFolder folder;
  std::vector<unsigned char> digest = {1, 2, 3};
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_NOT_FOUND),
            ComputeSHA256(folder.File(L"missing.bin"), &digest));
  EXPECT_EQ((std::vector<unsigned char>{1, 2, 3}), digest);
}

}  // namespace
}  // namespace updater
