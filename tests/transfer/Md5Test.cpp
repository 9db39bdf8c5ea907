#include "transfer/Md5.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "TransferTestSupport.h"

namespace updater {
namespace {

// Known digests, independent of the system provider used as the oracle below; lengths of
// 0, 3, 62 (padding spills into a second block) and 80 (two blocks).
TEST(Md5Test, MatchesTheTestSuiteOfRfc1321) {
  const test::TextCase cases[] = {
      {L"", L"d41d8cd98f00b204e9800998ecf8427e"},
      {L"abc", L"900150983cd24fb0d6963f7d28e17f72"},
      {L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
       L"d174ab98d277d9f5a5611c2c9f419d9f"},
      {L"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       L"57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const test::TextCase& c : cases) {
    const std::string message(c.input, c.input + wcslen(c.input));
    Md5 md5;
    md5.Update(message.data(), message.size());
    EXPECT_EQ(std::wstring(c.expected), Md5LowerHex(md5.Final())) << message;
  }
}

// Every length around the 56-byte padding limit and the 64-byte block, fed in uneven pieces,
// against the system's provider.
TEST(Md5Test, AgreesWithCryptoApiForEveryLengthAndPieceSize) {
  const std::string bytes = test::PatternBytes(300, 7);
  for (std::size_t length = 0; length <= bytes.size(); ++length) {
    std::wstring expected;
    ASSERT_EQ(kSuccess, test::CryptoApiMd5Hex(bytes.substr(0, length), &expected));
    for (const std::size_t piece : {1u, 13u, 64u, 100u}) {
      Md5 md5;
      for (std::size_t at = 0; at < length; at += piece) {
        md5.Update(bytes.data() + at, std::min(piece, length - at));
      }
      EXPECT_EQ(expected, Md5LowerHex(md5.Final())) << "length " << length << ", pieces " << piece;
    }
  }
}

}  // namespace
}  // namespace updater
