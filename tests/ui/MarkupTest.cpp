#include "ui/Markup.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "FormatRangeText.h"
#include "TestSupport.h"

namespace updater {
namespace {

using test::Describe;
using test::Narrow;

// Each line starts at position 10; `ranges` empty means the line is shown as written.
TEST(MarkupTest, ConvertsWellFormedLinesAndShowsAnyOtherLineAsWritten) {
  struct Case {
    const wchar_t* line;
    const wchar_t* text;  // null: the line itself
    const wchar_t* ranges;
  };
  const Case cases[] = {
      {L"Fixed <b>crash</b> on start", L"Fixed crash on start", L"b16-21"},
      {L"Fixed <B>crash</B> on start", nullptr, L""},
      {L"Tom &amp; Jerry", nullptr, L""},
      {L"<i>Tom &amp; Jerry</i>", L"Tom & Jerry", L"i10-21"},
      {L"<b>bold</i> text", L"bold text", L"b10-14"},
      {L"<b>bold <i>both</i></b>", L"bold both", L"i15-19 b10-19"},
      {L"<font color=\"#FF0000\">red</font>", L"red", L"font10-13=0x0000FF"},
      {L"<font color=\"#00ff80\">x</font>", L"x", L"font10-11=0x80FF00"},
      {L"<font color=\"#F00\">x</font>", L"x", L"font10-11=0x000000"},
      {L"<font color=\"#GG0000\">x</font> <font color=\"\">y</font>", L"x y",
       L"font10-11=0x000000 font12-13=0x000000"},
      {L"<b>never closed", nullptr, L""},
      {L"<b>x</b", nullptr, L""},
      {L"</b>x", nullptr, L""},
      {L"<a href=\"https://x.invalid/a b\">site</a> here", L"site here",
       L"a10-14=https://x.invalid/a b"},
      {L"<a href=\"https://x.invalid/>site</a>", nullptr, L""},
      {L"<a href>site</a>", nullptr, L""},
      {L"<a title=\"t\">site</a>", nullptr, L""},
      {L"<b onclick=\"run()\">x</b>", nullptr, L""},
      {L"<p>x</p>", nullptr, L""},
      {L"1 < 2 <b>x</b>", nullptr, L""},
      {L"<sub>2</sub><sup>3</sup><u>4</u>", L"234", L"sub10-11 sup11-12 u12-13"},
      {L"a<br>b <u>c</u>", L"a\r\nb c", L"u14-15"},
      {L"a<br>b", nullptr, L""},
      {L"<br href=\"x\"><b>y</b>", nullptr, L""},
      {L"<b>&lt;tag&gt; &quot;</b>", L"<tag> &quot;", L"b10-22"},
      {L"<b > spaced </b >", L" spaced ", L"b10-18"},
      {L"<b>\x01\x1b\t</b>", L"\x01\x1b\t", L"b10-13"},
      {L"<b></b>", L"", L"b10-10"},
      {L"", nullptr, L""},
  };
  for (const Case& c : cases) {
    const std::wstring text = c.text != nullptr ? c.text : c.line;
    std::vector<FormatRange> ranges(1);  // ranges are appended to what the caller has
    std::int32_t position = 10;
    EXPECT_EQ(text, ConvertMarkup(c.line, &position, &ranges)) << Narrow(c.line);
    ranges.erase(ranges.begin());
    EXPECT_EQ(std::wstring(c.ranges), Describe(ranges)) << Narrow(c.line);
    const int crlfs = static_cast<int>(std::count(text.begin(), text.end(), L'\n'));
    EXPECT_EQ(10 + static_cast<int>(text.size()) - crlfs + 1, position) << Narrow(c.line);
  }
}

TEST(MarkupTest, CodeTakesTheButtonFaceAsBackground) {
  std::vector<FormatRange> ranges;
  std::int32_t position = 0;
  EXPECT_EQ(L"x", ConvertMarkup(L"<code>x</code>", &position, &ranges));
  ASSERT_EQ(1u, ranges.size());
  EXPECT_EQ(FormatKind::Code, ranges[0].kind);
  EXPECT_EQ(GetSysColor(COLOR_3DFACE), ranges[0].colour);
}

// Escaped text comes back unchanged from a conversion, markup and entities included.
TEST(MarkupTest, EscapedTextIsShownAsItIs) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"R&D <beta>", L"R&amp;D &lt;beta&gt;"},
      {L"&amp; <b>", L"&amp;amp; &lt;b&gt;"},
      {L"plain", L"plain"},
  };
  for (const auto& [text, escaped] : cases) {
    EXPECT_EQ(escaped, EscapeMarkup(text)) << Narrow(text);
    std::vector<FormatRange> ranges;
    std::int32_t position = 0;
    EXPECT_EQ(text, ConvertMarkup(L"<b>" + EscapeMarkup(text) + L"</b>", &position, &ranges));
  }
}

}  // namespace
}  // namespace updater
