#include "catalogue/VersionFormat.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(VersionFormatTest, BuildsTheExpressionOfEachFormat) {
  EXPECT_EQ(LR"((\d){1,5}((\.){1,2}(\d){1,5}){0,3})",
            BuildVersionExpression(GetVersionFormat(VersionFormatId::Dotted)));
  EXPECT_EQ(LR"((\d){1,9}((\.){1,1}(\d){1,9}){0,1})",
            BuildVersionExpression(GetVersionFormat(VersionFormatId::Pair)));
  EXPECT_EQ(LR"(((\d)(_?(\d)){0,3}(_?(\d)?)((\.){1,2}(\d)(_?(\d)){0,3}(_?(\d)?)){0,2}(\.){1,2})?)"
            LR"((\d)(_?(\d)){0,4})",
            BuildVersionExpression(GetVersionFormat(VersionFormatId::Underscored)));
  EXPECT_EQ(LR"([\d.]*)", BuildVersionCharacters(GetVersionFormat(VersionFormatId::Dotted)));
  EXPECT_EQ(LR"([\d._]*)", BuildVersionCharacters(GetVersionFormat(VersionFormatId::Underscored)));
  // Counts below zero are written as 0.
  EXPECT_EQ(LR"(((\d)(_?(\d)){0,0}(_?(\d)?)((\.){1,1}(\d)(_?(\d)){0,0}(_?(\d)?)){0,0}(\.){1,1})?)"
            LR"((\d)(_?(\d)){0,0})",
            BuildVersionExpression({1, 1, 1, true, {0, 0, 0, 0}}));
}

TEST(VersionFormatTest, AcceptsOnlyTextsOfTheFormat) {
  struct Case {
    VersionFormatId id;
    std::vector<const wchar_t*> valid, invalid;
  };
  const Case cases[] = {
      {VersionFormatId::Dotted,
       {L"1.2.3.4", L"7", L"1..2", L"65535.0.65535.0", L"00001.2"},
       {L"1...2", L"1.2.3.4.5", L"123456", L"65536", L"1.2.3.65536", L"1.2.", L".1", L"", L"1_2",
        L"1.2a", L" 1.2", L"v1.2", L"\x0661.\x0662", L"1\xFF12"}},
      {VersionFormatId::Pair,
       {L"999999999.123456789", L"20240131"},
       {L"1.2.3", L"1..2", L"1234567890"}},
      {VersionFormatId::Underscored,
       {L"1_000.2", L"1_2_3_4_5", L"65_535.1.1..1", L"1_.2", L"1.2.3.4"},
       {L"65_536", L"1__2", L"_1", L"1_", L"1_2_3_4_5_6", L"1.2.3.4.5"}},
  };
  for (const Case& c : cases) {
    const int format = static_cast<int>(c.id);
    for (const wchar_t* text : c.valid) {
      EXPECT_TRUE(IsValidVersionText(text, c.id)) << Narrow(text) << " in format " << format;
    }
    for (const wchar_t* text : c.invalid) {
      EXPECT_FALSE(IsValidVersionText(text, c.id)) << Narrow(text) << " in format " << format;
    }
    // Far beyond any valid length: refused without the matcher exhausting the stack.
    EXPECT_FALSE(IsValidVersionText(std::wstring(200000, L'1'), c.id)) << format;
    EXPECT_FALSE(IsValidVersionText(L"1" + std::wstring(200000, L'.') + L"1", c.id)) << format;
  }
}

}  // namespace
}  // namespace updater
