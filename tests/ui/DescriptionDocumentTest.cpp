#include "ui/DescriptionDocument.h"

#include <gtest/gtest.h>

#include "FormatRangeText.h"
#include "TestSupport.h"
#include "ui/RtfText.h"

namespace updater {
namespace {

using test::Describe;
using test::Narrow;

constexpr char kBullets[] =
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
    "\\fi-180\\li400\\b0\\f0 ";

TEST(DescriptionDocumentTest, RtfEscapingKeepsOnlyLettersAndDigits) {
  const std::pair<const wchar_t*, const char*> cases[] = {
      {L"Ab9", "Ab9"},
      {L"a b", "a\\u32?b"},
      {L"{\\}", "\\u123?\\u92?\\u125?"},
      {L"\u00e9\u20ac\uff38\uffff", "\\u233?\\u8364?\\u65336?\\u65535?"},
      {L"\r\n\x01", "\\u13?\\u10?\\u1?"},
  };
  for (const auto& [text, rtf] : cases) EXPECT_EQ(rtf, EscapeRtf(text)) << Narrow(text);
}

TEST(DescriptionDocumentTest, HeaderNamesCodePageFontsAndLanguage) {
  EXPECT_EQ(
      "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset1 Segoe UI;}"
      "{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil\\fcharset3 Segoe UI Semibold;}}"
      "{\\*\\generator Msftedit 5.41.15.1507;}\\viewkind4\\uc1\\pard\\li144\\lang1033\\f0\\fs20 ",
      RtfHeader(1252, 1033, true));
  EXPECT_NE(std::string::npos, RtfHeader(1251, 1049, false)
                                   .find("\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset1 "
                                         "Segoe UI;}{\\f1\\fnil\\fcharset2 Symbol;}{\\f2\\fnil"
                                         "\\fcharset3 Segoe UI;}}"));
  EXPECT_NE(std::string::npos, RtfHeader(1251, 1049, false).find("\\lang1049\\f0"));
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

// The document after its header, and its ranges: positions count the paragraph ends, the empty
// line after the header lines and the empty line above each section title.
TEST(DescriptionDocumentTest, UpdateDescriptionLaysOutLinesAndSections) {
  struct Case {
    UpdateInfo update;
    std::string body;
    const wchar_t* ranges;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    std::vector<FormatRange> ranges;
    const std::string rtf = BuildUpdateDescription(c.update, L"New Features", L"Fixed Bugs",
                                                   L"Enhancements", L"Update size: 2 KB", &ranges);
    ASSERT_EQ(0u, rtf.find(SystemRtfHeader()));
    EXPECT_EQ(c.body, rtf.substr(SystemRtfHeader().size()));
    EXPECT_EQ(std::wstring(c.ranges), Describe(ranges)) << c.body;
  }
}

TEST(DescriptionDocumentTest, MessageShowsTitleBodyAndLink) {
  struct Case {
    ServerMessage message;
    std::string body;
    const wchar_t* ranges;
  };
  const Case cases[] = {
      {{L"News", L"Read <i>this</i>", L"https://x.invalid/n", L"More"},
       "News\\par\n\\par\n\\u32?\\u32?Read\\u32?this\\u32?More\\par\n}",
       L"b0-4 i13-17 a18-22=https://x.invalid/n"},
      {{L"News", L"Plain", L"", L""}, "News\\par\n\\par\n\\u32?\\u32?Plain\\par\n}", L"b0-4"},
      {{L"N", L"B", L"http://x/?a&b", L""},
       "N\\par\n\\par\n\\u32?\\u32?B\\u32?http\\u58?\\u47?\\u47?x\\u47?\\u63?a\\u38?b\\par\n}",
       L"b0-1 a7-20=http://x/?a&b"},
  };
  for (const Case& c : cases) {
    std::vector<FormatRange> ranges;
    const std::string rtf = BuildMessageDocument(c.message, &ranges);
    EXPECT_EQ(c.body, rtf.substr(SystemRtfHeader().size()));
    EXPECT_EQ(std::wstring(c.ranges), Describe(ranges)) << c.body;
  }
}

// A server can list thousands of long lines: the document keeps a bounded part of them.
TEST(DescriptionDocumentTest, HugeDescriptionsAreBounded) {
  const std::wstring line = L"<b>" + std::wstring(1000, L'x') + L"</b>";
  const UpdateInfo update =
      MakeUpdate(kUpdateSingleUpdate, std::vector<std::wstring>(5000, line),
                 std::vector<std::wstring>(5000, line), {std::wstring(100000, L'y')});
  std::vector<FormatRange> ranges;
  const std::string rtf =
      BuildUpdateDescription(update, L"F", L"B", L"E", L"Update size: 1 KB", &ranges);
  EXPECT_LE(rtf.size(), SystemRtfHeader().size() + kMaxDocumentText * 8);
  EXPECT_GT(rtf.size(), kMaxDocumentText);
  EXPECT_LT(ranges.size(), 40u);
  EXPECT_EQ(std::string::npos, rtf.find("yyyy")) << "the bug fixes lie past the budget";
  EXPECT_EQ('}', rtf.back());
}

}  // namespace
}  // namespace updater
