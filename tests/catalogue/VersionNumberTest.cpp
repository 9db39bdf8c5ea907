#include "catalogue/VersionNumber.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(VersionNumberTest, ParsesLeniently) {
  struct Case {
    const wchar_t* text;
    VersionNumber version;
    int count;
  };
  const Case cases[] = {
      {L"1.2", {1, 2, 0, 0}, 2}, {L"v10_3", {10, 3, 0, 0}, 2}, {L"1..2", {1, 2, 0, 0}, 2},
      {L"=1.2", {1, 2, 0, 0}, 2}, {L"2.1 build 7", {2, 1, 7, 0}, 3}, {L"007", {7, 0, 0, 0}, 1},
      {L"1.2.3.4.5", {1, 2, 3, 4}, 5}, {L"1.2.3.4.5.6.7", {1, 2, 3, 4}, 5},
      {L"2147483647", {2147483647, 0, 0, 0}, 1},
      // Only ASCII digits count; a fullwidth digit separates like a letter.
      {L"1\xFF11" L"2", {1, 2, 0, 0}, 2},
  };
  for (const Case& c : cases) {
    VersionNumber version(9, 9, 9, 9);
    EXPECT_TRUE(version.Parse(c.text)) << Narrow(c.text);
    EXPECT_TRUE(Equal(c.version, version)) << Narrow(c.text) << " gave " << Narrow(version.ToString());
    EXPECT_EQ(c.count, version.Count()) << Narrow(c.text);
  }
}

TEST(VersionNumberTest, FailedParseLeavesTheZeroValue) {
  // 2147483648 would wrap around to a negative field if only the value before the last digit
  // were checked.
  for (const wchar_t* text : {L"", L"abc", L"21474836400", L"2147483648", L"1.2.99999999999"}) {
    VersionNumber version(9, 9, 9, 9);
    EXPECT_FALSE(version.Parse(text)) << Narrow(text);
    EXPECT_TRUE(version.IsZero()) << Narrow(text);
    EXPECT_EQ(0, version.Count()) << Narrow(text);
  }
}

TEST(VersionNumberTest, TextFormLeavesOutTrailingZeroAndMaximumFields) {
  const std::pair<VersionNumber, const wchar_t*> cases[] = {
      {{}, L"0.0.0.0"}, {{65535, 65535, 65535, 65535}, L"0.0.0.0"}, {{1, 0, 0, 0}, L"1.0"},
      {{1, 2, 3, 0}, L"1.2.3"}, {{1, 2, 0, 65535}, L"1.2"}, {{5, 0, 0, 7}, L"5.0.0.7"},
      {{0, 0, 3, 0}, L"0.0.3"}, {{-1, 2, 0, 0}, L"-1.2"},
  };
  for (const auto& [version, text] : cases) EXPECT_EQ(text, version.ToString()) << Narrow(text);
}

TEST(VersionNumberTest, ComparesFieldBySignedFieldIgnoringCount) {
  struct Case {
    VersionNumber a, b;
    bool equal, atLeast;
  };
  VersionNumber shortForm;
  ASSERT_TRUE(shortForm.Parse(L"1.2"));
  const Case cases[] = {
      {shortForm, {1, 2, 0, 0}, true, true},  {{1, 2, 0, 0}, shortForm, true, true},
      {{1, 2, 0, 1}, {1, 2, 0, 0}, false, true}, {{1, 2, 0, 0}, {1, 2, 0, 1}, false, false},
      {{2, 0, 0, 0}, {1, 9, 9, 9}, false, true}, {{1, 9, 9, 9}, {2, 0, 0, 0}, false, false},
      {{-1, 0, 0, 0}, {0, 0, 0, 0}, false, false},
  };
  for (const Case& c : cases) {
    const std::string names = Narrow(c.a.ToString() + L" vs " + c.b.ToString());
    EXPECT_EQ(c.equal, Equal(c.a, c.b)) << names;
    EXPECT_EQ(c.atLeast, AtLeast(c.a, c.b)) << names;
  }
}

}  // namespace
}  // namespace updater
