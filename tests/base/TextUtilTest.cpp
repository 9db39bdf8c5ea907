#include "base/TextUtil.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(TextUtilTest, TrimTakesOnlyTheGivenBlanksFromBothEnds) {
  struct Case { const wchar_t* text; const wchar_t* blanks; const wchar_t* trimmed; };
  const Case cases[] = {
      {L"", kWhiteSpace, L""},
      {L" \t\r\n\v\f", kWhiteSpace, L""},
      {L"\t a b \r\n", kWhiteSpace, L"a b"},
      {L"x", kWhiteSpace, L"x"},
      {L"\u00A0x\u00A0", kWhiteSpace, L"\u00A0x\u00A0"},
      {L" \tx\t ", L" ", L"\tx\t"},
      {L"\v x \v", L" \t\r\n", L"\v x \v"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.trimmed, Trim(c.text, c.blanks)) << test::Narrow(c.text);
  }
}

TEST(TextUtilTest, StartsWithNoCaseFoldsAsciiLettersOnly) {
  struct Case { const wchar_t* text; const wchar_t* prefix; bool starts; };
  const Case cases[] = {
      {L"HTTPS://host", L"https://", true},
      {L"file:C:/x", L"FILE:", true},
      {L"file:", L"file:", true},
      {L"anything", L"", true},
      {L"fil", L"file:", false},
      {L"files", L"file:", false},
      {L"\u0130tem", L"item", false},     // dotted capital I, "i" only in Unicode's folding
      {L"\u212Aey", L"key", false},       // Kelvin sign
      {L"\u00C9T\u00C9", L"\u00E9t\u00E9", false},
      {L"[a", L"{A", false},              // 0x5B and 0x7B differ by the case bit, but are no letters
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.starts, StartsWithNoCase(c.text, c.prefix))
        << test::Narrow(c.text) << " / " << test::Narrow(c.prefix);
  }
}

}  // namespace
}  // namespace updater
