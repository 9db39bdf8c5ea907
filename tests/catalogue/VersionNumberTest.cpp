#include "catalogue/VersionNumber.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "catalogue/VersionFormat.h"

namespace updater {
namespace {

using test::Narrow;

TEST(VersionNumberTest, ParsesLenientlyAndFailsToTheZeroValue) {
  // 2147483648 would wrap to a negative field; a fullwidth digit separates like a letter.
  const std::tuple<const wchar_t*, VersionNumber, int> cases[] = {
      {L"1.2", {1, 2, 0, 0}, 2},            {L"v10_3", {10, 3, 0, 0}, 2},
      {L"2.1 build 7", {2, 1, 7, 0}, 3},    {L"1.2.3.4.5.6.7", {1, 2, 3, 4}, 5},
      {L"2147483647", {2147483647, 0, 0, 0}, 1}, {L"1\xFF11" L"2", {1, 2, 0, 0}, 2},
      {L"1.2.3.4.99999999999999999999", {1, 2, 3, 4}, 5},
      {L"1.2.3.4.5.99999999999", {1, 2, 3, 4}, 5},
      {L"", {}, 0}, {L"abc", {}, 0}, {L"2147483648", {}, 0}, {L"1.2.99999999999", {}, 0}};
  for (const auto& [text, expected, count] : cases) {
    VersionNumber version(9, 9, 9, 9);
    EXPECT_EQ(count != 0, version.Parse(text)) << Narrow(text);
    EXPECT_TRUE(Equal(expected, version)) << Narrow(text) << " gave " << Narrow(version.ToString());
    EXPECT_EQ(count, version.Count()) << Narrow(text);
  }
}

TEST(VersionNumberTest, TextFormLeavesOutTrailingZeroAndMaximumFieldsAndComparesSigned) {
  const std::pair<VersionNumber, const wchar_t*> texts[] = {
      {{65535, 65535, 65535, 65535}, L"0.0.0.0"}, {{1, 0, 0, 0}, L"1.0"},
      {{1, 2, 0, 65535}, L"1.2"}, {{5, 0, 0, 7}, L"5.0.0.7"}, {{-1, 2, 0, 0}, L"-1.2"}};
  for (const auto& [version, text] : texts) EXPECT_EQ(text, version.ToString()) << Narrow(text);
  VersionNumber shortForm;
  ASSERT_TRUE(shortForm.Parse(L"1.2"));
  const std::tuple<VersionNumber, VersionNumber, bool, bool> comparisons[] = {
      {shortForm, {1, 2, 0, 0}, true, true},      {{1, 2, 0, 1}, {1, 2, 0, 0}, false, true},
      {{1, 9, 9, 9}, {2, 0, 0, 0}, false, false}, {{-1, 0, 0, 0}, {0, 0, 0, 0}, false, false}};
  for (const auto& [a, b, equal, atLeast] : comparisons) {
    const std::string names = Narrow(a.ToString() + L" vs " + b.ToString());
    EXPECT_EQ(std::make_pair(equal, atLeast), std::make_pair(Equal(a, b), AtLeast(a, b))) << names;
  }
}

TEST(VersionFormatTest, AcceptsOnlyTextsOfTheFormatAndRefusesLongOnesUnmatched) {
  using Texts = std::vector<const wchar_t*>;
  const std::tuple<VersionFormatId, Texts, Texts> cases[] = {
      {VersionFormatId::Dotted, {L"1.2.3.4", L"7", L"1..2", L"65535.0.65535.0", L"00001.2"},
       {L"1...2", L"1.2.3.4.5", L"123456", L"65536", L"1.2.3.65536", L"1.2.", L".1", L"", L"1_2",
        L" 1.2", L"\x0661.\x0662", L"1\xFF12"}},
      {VersionFormatId::Pair, {L"999999999.123456789"}, {L"1.2.3", L"1..2", L"1234567890"}},
      {VersionFormatId::Underscored, {L"1_000.2", L"1_2_3_4_5", L"65_535.1.1..1", L"1_.2"},
       {L"65_536", L"1__2", L"_1", L"1_", L"1_2_3_4_5_6", L"1.2.3.4.5"}}};
  for (const auto& [id, valid, invalid] : cases) {
    for (const wchar_t* text : valid) EXPECT_TRUE(IsValidVersionText(text, id)) << Narrow(text);
    for (const wchar_t* text : invalid) EXPECT_FALSE(IsValidVersionText(text, id)) << Narrow(text);
    // Far beyond any valid length: refused without the matcher exhausting the stack.
    EXPECT_FALSE(IsValidVersionText(std::wstring(200000, L'1'), id));
    EXPECT_FALSE(IsValidVersionText(L"1" + std::wstring(200000, L'.') + L"1", id));
  }
}

}  // namespace
}  // namespace updater
