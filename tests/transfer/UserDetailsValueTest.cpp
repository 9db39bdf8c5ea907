#include <gtest/gtest.h>

#include <windows.h>

#include "TestSupport.h"
#include "transfer/UserDetailsValue.h"

namespace updater {
namespace {

using test::Narrow;

TEST(UserDetailsValueTest, EncodesTheStoredLayout) {
  // count 1 | user length 4 | "ab" | password length 8 | "0A1B" | four zero bytes of tail
  EXPECT_EQ(L"01000000"
            L"04000000" L"61006200"
            L"08000000" L"30004100" L"31004200"
            L"00000000",
            FormatUserDetailsValue({{L"ab", L"0A1B"}}));
  EXPECT_EQ(L"0000000000000000", FormatUserDetailsValue({}));
}

TEST(UserDetailsValueTest, DecodesWhatItEncodes) {
  const std::vector<ProtectedCredential> list = {
      {L"alice", L"00FF12AB"}, {L"b\x00F6rje", L"C0FFEE11"}, {L"", L""}};
  std::vector<ProtectedCredential> decoded;
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(FormatUserDetailsValue(list), &decoded));
  ASSERT_EQ(3u, decoded.size());
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(list[i].user, decoded[i].user) << i;
    EXPECT_EQ(list[i].protectedPassword, decoded[i].protectedPassword) << i;
  }
  ASSERT_EQ(kSuccess, ParseUserDetailsValue(L"00000000", &decoded)) << "no tail is needed";
  EXPECT_TRUE(decoded.empty());
}

TEST(UserDetailsValueTest, MalformedValuesAreRefusedAndChangeNothing) {
  const wchar_t* const cases[] = {
      L"",                                               // nothing at all
      L"010",                                            // odd number of digits
      L"0100000G",                                       // not a digit
      L"000000",                                         // shorter than the count
      L"01000000",                                       // one entry announced, none there
      L"FFFFFFFF0000000000000000",                       // count far beyond the bytes
      L"01000000" L"FF000000" L"61006200",               // user name runs past the end
      L"01000000" L"03000000" L"610062" L"00000000",     // user name of an odd byte length
      L"01000000" L"02000000" L"6100" L"08000000" L"3000",  // password runs past the end
      L"01000000" L"02000000" L"6100" L"01000000" L"30",    // password of an odd byte length
      L"02000000" L"02000000" L"6100" L"02000000" L"3000",  // second entry missing
  };
  for (const wchar_t* text : cases) {
    std::vector<ProtectedCredential> list = {{L"kept", L"ABCD"}};
    EXPECT_EQ(static_cast<ResultCode>(ERROR_INVALID_DATA), ParseUserDetailsValue(text, &list))
        << Narrow(text);
    ASSERT_EQ(1u, list.size()) << Narrow(text);
    EXPECT_EQ(L"kept", list[0].user) << Narrow(text);
  }
}

}  // namespace
}  // namespace updater
