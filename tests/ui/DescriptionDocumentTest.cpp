#include "ui/DescriptionDocument.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ResultText.h"
#include "ui/Markup.h"
#include "ui/RtfText.h"

namespace updater {
namespace {

using test::Narrow;

// Ranges as "b6-11 a0-4=target font2-5=0x0000FF", in their order.
std::wstring Describe(const std::vector<FormatRange>& ranges) {
  static const wchar_t* const kNames[] = {L"a", L"b", L"i", L"font", L"sub", L"sup", L"u", L"code"};
  std::wstring text;
  for (const FormatRange& r : ranges) {
    text += (text.empty() ? L"" : L" ") + std::wstring(kNames[static_cast<int>(r.kind)]) +
            std::to_wstring(r.start) + L"-" + std::to_wstring(r.end);
    if (r.kind == FormatKind::Link) text += L"=" + r.target;
    if (r.kind == FormatKind::Colour) text += FormatText(L"=0x%06X", r.colour);
  }
  return text;
}

// Each line starts at position 10; no ranges means the line is shown as written.
TEST(DescriptionDocumentTest, ConvertsWellFormedMarkupAndShowsAnyOtherLineAsWritten) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"Fixed <b>crash</b> on start", L"Fixed crash on start", L"b16-21"},
      {L"Fixed <B>crash</B> on start", nullptr, L""},
      {L"Tom &amp; Jerry", nullptr, L""},
      {L"<i>Tom &amp; Jerry</i>", L"Tom & Jerry", L"i10-21"},
      {L"<b>bold</i> text", L"bold text", L"b10-14"},
      {L"<b>bold <i>both</i></b>", L"bold both", L"i15-19 b10-19"},
      {L"<font color=\"#FF0000\">r</font><font color=\"#00ff80\">g</font>", L"rg",
       L"font10-11=0x0000FF font11-12=0x80FF00"},
      {L"<font color=\"#F00\">x</font><font color=\"#GG0000\">y</font><font color=\"\">z</font>",
       L"xyz", L"font10-11=0x000000 font11-12=0x000000 font12-13=0x000000"},
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
      {L"<sub>2</sub><sup>3</sup><u>4</u><code>5</code>", L"2345",
       L"sub10-11 sup11-12 u12-13 code13-14"},
      {L"a<br>b <u>c</u>", L"a\r\nb c", L"u14-15"},
      {L"a<br>b", nullptr, L""},
      {L"<br href=\"x\"><b>y</b>", nullptr, L""},
      {L"<b>&lt;tag&gt; &quot;</b>", L"<tag> &quot;", L"b10-22"},
      {L"<b > spaced </b >", L" spaced ", L"b10-18"},
      {L"<b>\x01\x1b\t</b>", L"\x01\x1b\t", L"b10-13"},
      {L"<b></b>", L"", L"b10-10"},
      {L"", nullptr, L""},
  };
  for (const auto& [line, converted, expectedRanges] : cases) {
    const std::wstring text = converted != nullptr ? converted : line;
    std::vector<FormatRange> ranges(1);  // ranges are appended to what the caller has
    std::int32_t position = 10;
    EXPECT_EQ(text, ConvertMarkup(line, &position, &ranges)) << Narrow(line);
    ranges.erase(ranges.begin());
    EXPECT_EQ(std::wstring(expectedRanges), Describe(ranges)) << Narrow(line);
    // A line break is one position, as the control keeps it as one paragraph mark.
    const auto breaks = std::count(text.begin(), text.end(), L'\n');
    EXPECT_EQ(10 + text.size() - breaks + 1, static_cast<std::size_t>(position)) << Narrow(line);
  }
}

TEST(DescriptionDocumentTest, EscapedMarkupAndRtfShowTheTextAsItIs) {
  for (const std::wstring text : {L"R&D <beta>", L"&amp; <b>"}) {
    std::vector<FormatRange> ranges;
    std::int32_t position = 0;
    EXPECT_EQ(text, ConvertMarkup(L"<b>" + EscapeMarkup(text) + L"</b>", &position, &ranges));
  }
  EXPECT_EQ(L"R&amp;D &lt;beta&gt;", EscapeMarkup(L"R&D <beta>"));
  const std::pair<const wchar_t*, const char*> rtf[] = {
      {L"Ab9", "Ab9"},
      {L"a b", "a\\u32?b"},
      {L"{\\}", "\\u123?\\u92?\\u125?"},
      {L"\u00e9\u20ac\uff38\uffff", "\\u233?\\u8364?\\u65336?\\u65535?"},
      {L"\r\n\x01", "\\u13?\\u10?\\u1?"},
  };
  for (const auto& [text, escaped] : rtf) EXPECT_EQ(escaped, EscapeRtf(text)) << Narrow(text);
  EXPECT_EQ(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset1 Segoe UI;}"
      "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset3 Segoe UI Semibold;}}"
      "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\li144\\lang1033\\f0\\fs20 ",
      RtfHeader(1252, 1033, true));
  EXPECT_NE(std::string::npos, RtfHeader(1251, 1049, false).find("cpg1251\\deff0"));
  EXPECT_NE(std::string::npos, RtfHeader(1251, 1049, false).find("\\fcharset3 Segoe UI;}}"));
}

UpdateInfo MakeUpdate(std::uint32_t flags, std::vector<std::wstring> descriptions,
                      std::vector<std::wstring> features, std::vector<std::wstring> bugFixes) {
  UpdateInfo update;
  update.name = L"R&D <1>";
  update.flags = flags;
  update.descriptions = std::move(descriptions);
  update.features.items = std::move(features);
  update.bugFixes.items = std::move(bugFixes);
  return update;
}

constexpr char kBullets[] =
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
    "\\fi-180\\li400\\b0\\f0 ";

// The document after its header: positions count the paragraph ends, the empty line after the
// header lines and the empty line above each section title.
TEST(DescriptionDocumentTest, UpdateDescriptionLaysOutLinesAndSections) {
  const std::tuple<UpdateInfo, std::string, const wchar_t*> cases[] = {
      {MakeUpdate(0, {L"Fixed <b>crash</b> on start"}, {}, {}),
       "Fixed\\u32?crash\\u32?on\\u32?start\\par\n}", L"b6-11"},
      {MakeUpdate(kUpdateSingleUpdate, {L"Second <i>line</i>"}, {}, {}),
       "R\\u38?D\\u32?\\u60?1\\u62?\\par\nUpdate\\u32?size\\u58?\\u32?2\\u32?KB\\par\n\\par\n"
       "Second\\u32?line\\par\n}",
       L"b0-7 i34-38"},
      {MakeUpdate(kUpdateSingleUpdate, {}, {}, {}),
       "R\\u38?D\\u32?\\u60?1\\u62?\\par\nUpdate\\u32?size\\u58?\\u32?2\\u32?KB\\par\n}", L"b0-7"},
      {MakeUpdate(0, {}, {L"<u>One</u>", L"Two"}, {L"<b>Fix</b>"}),
       std::string("\\pard\\li144\\b\\f2\\par New\\u32?Features\\par") + kBullets +
           "One\\par{\\pntext\\f1\\'B7\\tab}Two\\par\\pard\\li144\\b\\f2\\par "
           "Fixed\\u32?Bugs\\par" +
           kBullets + "Fix\\par}",
       L"u14-17 b34-37"},
      {MakeUpdate(0, {}, {}, {}), "}", L""},
  };
  for (const auto& [update, body, expectedRanges] : cases) {
    std::vector<FormatRange> ranges;
    const std::string rtf = BuildUpdateDescription(update, L"New Features", L"Fixed Bugs",
                                                   L"Enhancements", L"Update size: 2 KB", &ranges);
    ASSERT_EQ(0u, rtf.find(SystemRtfHeader()));
    EXPECT_EQ(body, rtf.substr(SystemRtfHeader().size()));
    EXPECT_EQ(std::wstring(expectedRanges), Describe(ranges)) << body;
  }
}

TEST(DescriptionDocumentTest, MessageShowsTitleBodyAndLink) {
  const std::tuple<ServerMessage, std::string, const wchar_t*> cases[] = {
      {{L"News", L"Read <i>this</i>", L"", L"", L"https://x.invalid/n", L"More"},
       "News\\par\n\\par\n\\u32?\\u32?Read\\u32?this\\u32?More\\par\n}",
       L"b0-4 i13-17 a18-22=https://x.invalid/n"},
      {{L"News", L"Plain", L"", L"", L"", L""}, "News\\par\n\\par\n\\u32?\\u32?Plain\\par\n}", L"b0-4"},
      {{L"N", L"B", L"", L"", L"http://x/?a&b", L""},
       "N\\par\n\\par\n\\u32?\\u32?B\\u32?http\\u58?\\u47?\\u47?x\\u47?\\u63?a\\u38?b\\par\n}",
       L"b0-1 a7-20=http://x/?a&b"},
  };
  for (const auto& [message, body, expectedRanges] : cases) {
    std::vector<FormatRange> ranges;
    EXPECT_EQ(body, BuildMessageDocument(message, &ranges).substr(SystemRtfHeader().size()));
    EXPECT_EQ(std::wstring(expectedRanges), Describe(ranges)) << body;
  }
}

// A server can list thousands of long lines: the document keeps a bounded part of them.
TEST(DescriptionDocumentTest, HugeDescriptionsAreBounded) {
  const std::wstring line = L"<b>" + std::wstring(1000, L'x') + L"</b>";
  const UpdateInfo update =
      MakeUpdate(kUpdateSingleUpdate, std::vector<std::wstring>(5000, line),
                 std::vector<std::wstring>(5000, line), {std::wstring(100000, L'y')});
  std::vector<FormatRange> ranges;
  const std::string rtf = BuildUpdateDescription(update, L"F", L"B", L"E", L"Size", &ranges);
  EXPECT_LE(rtf.size(), SystemRtfHeader().size() + kMaxDocumentText * 8);
  EXPECT_GT(rtf.size(), kMaxDocumentText);
  EXPECT_LT(ranges.size(), 40u);
  EXPECT_EQ(std::string::npos, rtf.find("yyyy")) << "the bug fixes lie past the budget";
}

}  // namespace
}  // namespace updater
