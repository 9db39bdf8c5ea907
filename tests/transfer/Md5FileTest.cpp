#include "transfer/Md5File.h"

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "TransferTestSupport.h"

namespace updater {
namespace {

constexpr wchar_t kAbcDigest[] = L"900150983cd24fb0d6963f7d28e17f72";

TEST(Md5FileTest, ComparesTheFirst32DigitsAndNeverMatchesEmptyOrMissingFiles) {
  struct Case {
    const char* what;
    std::wstring expected;
    bool matches;
  };
  const std::wstring digest = kAbcDigest;
  const Case cases[] = {
      {"lower case", digest, true},
      {"upper case", L"900150983CD24FB0D6963F7D28E17F72", true},
      {"further characters", digest + L"  trailing text", true},
      {"31 digits", digest.substr(0, 31), false},
      {"last digit differs", digest.substr(0, 31) + L"3", false},
      {"first digit differs", L"8" + digest.substr(1), false},
      {"not hex", L"900150983cd24fb0d6963f7d28e17f7g", false},
      {"empty", L"", false},
  };
  const test::TempFolder folder;
  const std::wstring path = folder.File(L"abc.bin");
  test::WriteBytes(path, "abc");
  for (const Case& c : cases) EXPECT_EQ(c.matches, CheckMD5(path, c.expected)) << c.what;

  // An empty file is refused before it is hashed, even against the digest of no bytes.
  test::WriteBytes(folder.File(L"empty.bin"), "");
  EXPECT_FALSE(CheckMD5(folder.File(L"empty.bin"), L"d41d8cd98f00b204e9800998ecf8427e"));
  EXPECT_FALSE(CheckMD5(folder.File(L"missing.bin"), kAbcDigest));
}

TEST(Md5FileTest, HashesFilesLongerThanOneBlockWhole) {
  const test::TempFolder folder;
  const std::wstring path = folder.File(L"long.bin");
  const std::string bytes = test::PatternBytes(2 * 65536 + 1000, 3);  // two 64 KiB blocks and more
  test::WriteBytes(path, bytes);
  std::wstring digest;
  ASSERT_EQ(kSuccess, test::CryptoApiMd5Hex(bytes, &digest));
  EXPECT_TRUE(CheckMD5(path, digest));
  EXPECT_FALSE(CheckMD5(path, kAbcDigest));
}

}  // namespace
}  // namespace updater
