#include "catalogue/IniReader.h"

#include <gtest/gtest.h>

#include <iterator>
#include <tuple>

#include "TestSupport.h"
#include "catalogue/UpdateFlags.h"

namespace updater {
namespace {

using test::Narrow;

TEST(IniReaderTest, IntegerFormReadsLeadingSignsAndDigitsOnly) {
  // 4294967295 wraps, so that result codes written unsigned read back.
  const std::pair<const wchar_t*, std::int32_t> cases[] = {
      {L"   42", 42}, {L"\t42", 0}, {L"-+42", -42}, {L"+-42", 0},       {L"12abc", 12},
      {L"abc", 0},    {L"", 0},     {L"1 000", 1},  {L"4294967295", -1},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(value, ParseIniInteger(text)) << Narrow(text);
}

TEST(IniReaderTest, ListFormSplitsAtUnescapedSemicolons) {
  const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
      {L" a ; b ", {L"a", L"b"}}, {L"a\\;b;c", {L"a;b", L"c"}}, {L"a\\\\;b", {L"a\\", L"b"}},
      {L"C:\\dir", {L"C:dir"}},   {L"a\\", {L"a"}},           {L"a;;b", {L"a", L"", L"b"}},
      {L"a;", {L"a"}},            {L"", {}},                  {L";", {L""}},
  };
  for (const auto& [text, items] : cases) EXPECT_EQ(items, ParseIniList(text)) << Narrow(text);
  const std::vector<std::wstring> escaped = {L"C:\\a;b", L"", L"x\\;y"};
  EXPECT_EQ(escaped, ParseIniList(FormatIniList(escaped)));
}

TEST(IniReaderTest, FlagsFormKeepsBitsBeforeAnUnknownName) {
  const auto parse = [](const wchar_t* text) {
    return ParseIniFlags(text, kUpdateFlagNames, std::size(kUpdateFlagNames));
  };
  EXPECT_EQ(kUpdateCritical, parse(L"Critical|Bogus|SilentInstall"));
  EXPECT_EQ(kUpdateCritical | kUpdateSys64, parse(L" Critical | Sys64 "));
  EXPECT_EQ(0u, parse(L"critical"));
  EXPECT_EQ(0u, parse(L""));
  const std::wstring all = FormatIniFlags(~0u, kUpdateFlagNames, std::size(kUpdateFlagNames));
  EXPECT_EQ(0x1BFFu, parse(all.c_str())) << Narrow(all);
}

TEST(IniReaderTest, DateFormIsDayMonthYearWithoutRangeCheck) {
  struct Case {
    const wchar_t* text;
    bool parses;
    WORD day, month, year;
  };
  const Case cases[] = {
      {L"  5/3/2021  ", true, 5, 3, 2021}, {L"31/13/0", true, 31, 13, 0}, {L"a/b/c", true, 0, 0, 0},
      {L"1/2/3/4", true, 1, 2, 3},         {L"5-3-2021", false, 0, 0, 0}, {L"5/3", false, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SYSTEMTIME date;
    EXPECT_EQ(c.parses, ParseIniDate(c.text, &date)) << Narrow(c.text);
    EXPECT_EQ(std::make_tuple(c.day, c.month, c.year),
              std::make_tuple(date.wDay, date.wMonth, date.wYear))
        << Narrow(c.text);
  }
  EXPECT_EQ(L"05/03/0021", FormatIniDate({21, 3, 0, 5, 0, 0, 0, 0}));
}

TEST(IniReaderTest, VersionFormsReadBackToTheSameFields) {
  EXPECT_EQ(L"1.0", FormatIniVersion(VersionNumber(1, 0, 0, 0)));
  EXPECT_EQ(L"10.0.65535.65535", FormatIniVersion(VersionNumber(10, 0, 65535, 65535)));
  struct Case {
    const wchar_t* text;
    VersionOperator op;
    VersionNumber version;
  };
  const Case cases[] = {
      {L">= 2.0", VersionOperator::AtLeast, {2, 0, 0, 0}},
      {L" = 2.0.1", VersionOperator::Equal, {2, 0, 1, 0}},
      {L"> 1", VersionOperator::AtLeast, {1, 0, 0, 0}},
      {L"garbage", VersionOperator::AtLeast, {}},
      {L"= 99999999999", VersionOperator::Equal, {}},
  };
  for (const Case& c : cases) {
    VersionOperator op = VersionOperator::None;
    VersionNumber version;
    ParseVersionCondition(c.text, &op, &version);
    ParseVersionCondition(FormatVersionCondition(op, version), &op, &version);
    EXPECT_EQ(c.op, op) << Narrow(c.text);
    EXPECT_TRUE(Equal(c.version, version)) << Narrow(c.text);
  }
}

TEST(IniReaderTest, AutoCloseEntryIsApplicationThenList) {
  const std::pair<const wchar_t*, AutoCloseEntry> cases[] = {
      {L"app.exe", {L"app.exe", L"", L"", 0}},
      {L" app.exe | /quit;Main\\;Window;NoRestart|QueryEndSession",
       {L"app.exe", L"/quit", L"Main;Window", kAutoCloseNoRestart | kAutoCloseQueryEndSession}},
      {L"app.exe|;;Bogus|NoRestart", {L"app.exe", L"", L"", 0}},
      {L"|||", {L"", L"||", L"", 0}},
  };
  for (const auto& [text, expected] : cases) {
    for (const std::wstring& form : {std::wstring(text), FormatAutoCloseEntry(expected)}) {
      const AutoCloseEntry entry = ParseAutoCloseEntry(form);
      EXPECT_EQ(expected.application + L"," + expected.arguments + L"," + expected.windowTitle,
                entry.application + L"," + entry.arguments + L"," + entry.windowTitle);
      EXPECT_EQ(expected.flags, entry.flags) << Narrow(form);
    }
  }
}

TEST(IniReaderTest, NumberedHtmlVariantWinsAndFirstGapEndsTheList) {
  const std::pair<const wchar_t*, std::vector<std::wstring>> cases[] = {
      {L"Feature=a\r\nFeatureHtml1=<b>b</b>\r\nFeature1=c\r\nFeature2=d\r\nFeature4=e\r\n",
       {L"a", L"<b>b</b>", L"d"}},
      {L"Feature1=a\r\n", {L"a"}},
      {L"FeatureHtml=<i>x</i>\r\nFeature=x\r\nFeatureHtml1=\r\nFeature1=y\r\n",
       {L"<i>x</i>", L"y"}},
  };
  const test::TempFolder folder;
  for (const auto& [body, items] : cases) {
    test::WriteTextFile(folder.File(L"n.ini"), L"[U]\r\n" + std::wstring(body),
                        test::TextEncoding::Ansi);
    EXPECT_EQ(items,
              IniReader(folder.File(L"n.ini")).ReadNumbered(L"U", L"Feature", L"FeatureHtml"))
        << Narrow(body);
  }
}

TEST(IniReaderTest, SectionNamesOfAnyNumberAreListedInOrder) {
  const test::TempFolder folder;
  std::wstring body;
  std::vector<std::wstring> names;
  for (int i = 0; i < 300; ++i) {  // far beyond the first buffer of 256 characters
    names.push_back(L"Section number " + std::to_wstring(i));
    body += L"[" + names.back() + L"]\r\nKey=1\r\n";
  }
  test::WriteTextFile(folder.File(L"s.ini"), body, test::TextEncoding::Utf16);
  EXPECT_EQ(names, IniReader(folder.File(L"s.ini")).SectionNames());
}

}  // namespace
}  // namespace updater
