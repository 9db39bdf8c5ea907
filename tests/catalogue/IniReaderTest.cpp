#include "catalogue/IniReader.h"

#include <gtest/gtest.h>

#include <iterator>

#include "TestSupport.h"
#include "catalogue/UpdateFlags.h"

namespace updater {
namespace {

using test::Narrow;
using test::TempFolder;
using test::TextEncoding;
using test::WriteTextFile;

TEST(IniReaderTest, IntegerFormReadsLeadingSignsAndDigitsOnly) {
  struct Case {
    const wchar_t* text;
    std::int32_t value;
  };
  const Case cases[] = {
      {L"42", 42},       {L"   42", 42},  {L"\t42", 0},          {L"-42", -42},
      {L"-+42", -42},    {L"+42", 42},    {L"+-42", 0},          {L"12abc", 12},
      {L"abc", 0},       {L"", 0},        {L"- 4", 0},           {L"1 000", 1},
      {L"4294967295", -1},  // wraps: result codes are written unsigned
      {L"3758096401", static_cast<std::int32_t>(0xE0000011)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.value, ParseIniInteger(c.text)) << Narrow(c.text);
  }
}

TEST(IniReaderTest, ListFormSplitsAtUnescapedSemicolons) {
  struct Case {
    const wchar_t* text;
    std::vector<std::wstring> items;
  };
  const Case cases[] = {
      {L"a;b;c", {L"a", L"b", L"c"}},
      {L" a ; b ", {L"a", L"b"}},
      {L"a\\;b;c", {L"a;b", L"c"}},
      {L"a\\\\;b", {L"a\\", L"b"}},
      {L"C:\\dir", {L"C:dir"}},  // "\" before another character is dropped
      {L"a\\", {L"a"}},
      {L"a;;b", {L"a", L"", L"b"}},
      {L";a", {L"", L"a"}},
      {L"a;", {L"a"}},
      {L"", {}},
      {L";", {L""}},
      {L"\\", {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.items, ParseIniList(c.text)) << Narrow(c.text);
  }
  const std::vector<std::wstring> escaped = {L"C:\\a;b", L"", L"x\\;y", L"plain"};
  EXPECT_EQ(escaped, ParseIniList(FormatIniList(escaped)));
}

TEST(IniReaderTest, FlagsFormKeepsBitsBeforeAnUnknownName) {
  struct Case {
    const wchar_t* text;
    std::uint32_t bits;
  };
  const Case cases[] = {
      {L"Critical|Bogus|SilentInstall", kUpdateCritical},
      {L" Critical | Sys64 ", kUpdateCritical | kUpdateSys64},
      {L"critical", 0},
      {L"", 0},
      {L"|", 0},
      {L"NoRedetect|SingleUpdate|IsPatch", kUpdateNoRedetect | kUpdateSingleUpdate | kUpdateIsPatch},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.bits, ParseIniFlags(c.text, kUpdateFlagNames, std::size(kUpdateFlagNames)))
        << Narrow(c.text);
  }
  const std::uint32_t all = 0x1BFF;
  const std::wstring text = FormatIniFlags(all | 0x400, kUpdateFlagNames, std::size(kUpdateFlagNames));
  EXPECT_EQ(all, ParseIniFlags(text, kUpdateFlagNames, std::size(kUpdateFlagNames))) << Narrow(text);
  EXPECT_EQ(L"Critical|Advertises", FormatIniFlags(0x81, kUpdateFlagNames, std::size(kUpdateFlagNames)));
}

TEST(IniReaderTest, DateFormIsDayMonthYearWithoutRangeCheck) {
  struct Case {
    const wchar_t* text;
    bool parses;
    WORD day, month, year;
  };
  const Case cases[] = {
      {L"5/3/2021", true, 5, 3, 2021},
      {L"  5/3/2021  ", true, 5, 3, 2021},
      {L"31/13/0", true, 31, 13, 0},
      {L"a/b/c", true, 0, 0, 0},
      {L"1/2/3/4", true, 1, 2, 3},
      {L"5-3-2021", false, 0, 0, 0},
      {L"5/3", false, 0, 0, 0},
      {L"", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SYSTEMTIME date;
    EXPECT_EQ(c.parses, ParseIniDate(c.text, &date)) << Narrow(c.text);
    EXPECT_EQ(c.day, date.wDay) << Narrow(c.text);
    EXPECT_EQ(c.month, date.wMonth) << Narrow(c.text);
    EXPECT_EQ(c.year, date.wYear) << Narrow(c.text);
  }
  SYSTEMTIME date = {};
  date.wDay = 5;
  date.wMonth = 3;
  date.wYear = 21;
  EXPECT_EQ(L"05/03/0021", FormatIniDate(date));
}

TEST(IniReaderTest, VersionFormsReadBackToTheSameFields) {
  struct Case {
    VersionNumber version;
    const wchar_t* text;
  };
  const Case cases[] = {
      {VersionNumber(1, 0, 0, 0), L"1.0"},
      {VersionNumber(5, 0, 0, 7), L"5.0.0.7"},
      {VersionNumber(10, 0, 65535, 65535), L"10.0.65535.65535"},
      {VersionNumber(1, 2, 0, 65535), L"1.2.0.65535"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, FormatIniVersion(c.version));
  }

  struct Condition {
    const wchar_t* text;
    VersionOperator op;
    VersionNumber version;
  };
  const Condition conditions[] = {
      {L">= 2.0", VersionOperator::AtLeast, VersionNumber(2, 0, 0, 0)},
      {L"=2.0.1", VersionOperator::Equal, VersionNumber(2, 0, 1, 0)},
      {L" = 3", VersionOperator::Equal, VersionNumber(3, 0, 0, 0)},
      {L"2.5", VersionOperator::AtLeast, VersionNumber(2, 5, 0, 0)},
      {L"> 1", VersionOperator::AtLeast, VersionNumber(1, 0, 0, 0)},
      {L"garbage", VersionOperator::AtLeast, VersionNumber()},
      {L"= 99999999999", VersionOperator::Equal, VersionNumber()},
  };
  for (const Condition& c : conditions) {
    VersionOperator op = VersionOperator::None;
    VersionNumber version;
    ParseVersionCondition(c.text, &op, &version);
    EXPECT_EQ(c.op, op) << Narrow(c.text);
    EXPECT_TRUE(Equal(c.version, version)) << Narrow(c.text);
    ParseVersionCondition(FormatVersionCondition(op, version), &op, &version);
    EXPECT_EQ(c.op, op) << Narrow(c.text) << " written back";
    EXPECT_TRUE(Equal(c.version, version)) << Narrow(c.text) << " written back";
  }
}

TEST(IniReaderTest, AutoCloseEntryIsApplicationThenList) {
  struct Case {
    const wchar_t* text;
    AutoCloseEntry entry;
  };
  const Case cases[] = {
      {L"app.exe", {L"app.exe", L"", L"", 0}},
      {L" app.exe | /quit;Main Window;NoRestart|QueryEndSession",
       {L"app.exe", L"/quit", L"Main Window", kAutoCloseNoRestart | kAutoCloseQueryEndSession}},
      {L"app.exe|;;AlwaysRestart", {L"app.exe", L"", L"", kAutoCloseAlwaysRestart}},
      {L"app.exe|a\\;b;t;Bogus|NoRestart;extra", {L"app.exe", L"a;b", L"t", 0}},
      {L"|||", {L"", L"||", L"", 0}},
  };
  for (const Case& c : cases) {
    for (const std::wstring& text : {std::wstring(c.text), FormatAutoCloseEntry(c.entry)}) {
      const AutoCloseEntry entry = ParseAutoCloseEntry(text);
      EXPECT_EQ(c.entry.application, entry.application) << Narrow(text);
      EXPECT_EQ(c.entry.arguments, entry.arguments) << Narrow(text);
      EXPECT_EQ(c.entry.windowTitle, entry.windowTitle) << Narrow(text);
      EXPECT_EQ(c.entry.flags, entry.flags) << Narrow(text);
    }
  }
}

TEST(IniReaderTest, HeaderIsFormatMarkInAnsiOrAfterUtf16ByteOrderMark) {
  const std::string utf16Mark("\xFF\xFE;\0q\0z\0u\0;\0", 12);
  struct Case {
    std::string head;
    bool utf16;
    bool header;
  };
  const Case cases[] = {
      {";qzu;\r\n[Ge", false, true},
      {";qzu;", false, true},
      {utf16Mark, true, true},
      {utf16Mark.substr(0, 11), true, false},
      {"\xEF\xBB\xBF;qzu;\r\n", false, false},
      {"\xFF\xFE", true, false},
      {"", false, false},
      {";QZU;", false, false},
      {std::string(";\0q\0z\0u\0;\0", 10), false, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.utf16, StartsWithUtf16ByteOrderMark(c.head)) << c.head;
    EXPECT_EQ(c.header, HasUpdateConfigHeader(c.head)) << c.head;
  }
}

TEST(IniReaderTest, NumberedHtmlVariantWinsAndFirstGapEndsTheList) {
  struct Case {
    const wchar_t* body;
    std::vector<std::wstring> items;
  };
  const Case cases[] = {
      {L"Feature=a\r\nFeatureHtml1=<b>b</b>\r\nFeature1=c\r\nFeature2=d\r\nFeature4=e\r\n",
       {L"a", L"<b>b</b>", L"d"}},
      {L"Feature1=a\r\n", {L"a"}},
      {L"FeatureHtml=<i>x</i>\r\nFeature=x\r\nFeatureHtml1=\r\nFeature1=y\r\n",
       {L"<i>x</i>", L"y"}},
      {L"Feature=a\r\nFeature2=c\r\n", {L"a"}},
      {L"Other=1\r\n", {}},
  };
  for (const TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    for (const Case& c : cases) {
      const TempFolder folder;
      const std::wstring path = folder.File(L"numbered.ini");
      WriteTextFile(path, std::wstring(L"[U]\r\n") + c.body, encoding);
      EXPECT_EQ(c.items, IniReader(path).ReadNumbered(L"U", L"Feature", L"FeatureHtml"))
          << Narrow(c.body);
    }
  }
}

TEST(IniReaderTest, WrittenValuesReadBackInTheirForms) {
  const TempFolder folder;
  const IniReader ini(folder.File(L"written.ini"));
  const std::vector<std::wstring> items = {L"one", L"", L"two;three", L"C:\\four"};
  EXPECT_EQ(kSuccess, ini.WriteNumbered(L"U", L"URL", items));
  EXPECT_EQ(kSuccess, ini.WriteList(L"U", L"List", items));
  EXPECT_EQ(kSuccess, ini.WriteInteger(L"U", L"State", 0xE0000014u));
  EXPECT_EQ(kSuccess, ini.WriteFlags(L"U", L"Flags", kUpdateCritical | kUpdateOs64,
                                     kUpdateFlagNames, std::size(kUpdateFlagNames)));
  const std::vector<std::wstring> numbered = {L"one", L"two;three", L"C:\\four"};
  EXPECT_EQ(numbered, ini.ReadNumbered(L"U", L"URL"));
  EXPECT_EQ(items, ini.ReadList(L"U", L"List"));
  EXPECT_EQ(0xE0000014u, static_cast<std::uint32_t>(ini.ReadInteger(L"U", L"State")));
  EXPECT_EQ(kUpdateCritical | kUpdateOs64,
            ini.ReadFlags(L"U", L"Flags", kUpdateFlagNames, std::size(kUpdateFlagNames)));
}

TEST(IniReaderTest, FileHeadSectionNamesAndDeletion) {
  const TempFolder folder;
  const std::wstring path = folder.File(L"sections.ini");
  // Far more names than the first buffer of 256 characters holds.
  std::wstring body;
  std::vector<std::wstring> names;
  for (int i = 0; i < 300; ++i) {
    names.push_back(L"Section number " + std::to_wstring(i));
    body += L"[" + names.back() + L"]\r\nKey=" + std::to_wstring(i) + L"\r\n";
  }
  WriteTextFile(path, body, TextEncoding::Utf16);
  IniReader ini(path);
  EXPECT_EQ(names, ini.SectionNames());
  EXPECT_EQ(kSuccess, ini.Load());
  EXPECT_TRUE(ini.IsUtf16());
  EXPECT_FALSE(ini.HasHeaderLine());

  std::string head;
  EXPECT_EQ(kSuccess, ini.File().ReadHead(4, &head));
  EXPECT_EQ(std::string("\xFF\xFE[\0", 4), head);
  EXPECT_EQ(kSuccess, ini.File().Delete());
  EXPECT_FALSE(test::FileExists(path));
  EXPECT_EQ(kSuccess, ini.File().Delete()) << "already missing";
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_NOT_FOUND), ini.Load());
  EXPECT_TRUE(ini.SectionNames().empty());
}

}  // namespace
}  // namespace updater
