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

TEST(IniReaderTest, ValueFormsReadAsDocumented) {
  // 4294967295 wraps, so that result codes written unsigned read back.
  const std::pair<const wchar_t*, std::int32_t> integers[] = {
      {L"   42", 42}, {L"\t42", 0}, {L"-+42", -42}, {L"+-42", 0}, {L"12abc", 12}, {L"", 0},
      {L"4294967295", -1}};
  for (const auto& [text, n] : integers) EXPECT_EQ(n, ParseIniInteger(text)) << Narrow(text);
  const std::pair<const wchar_t*, std::vector<std::wstring>> lists[] = {
      {L" a ; b ", {L"a", L"b"}}, {L"a\\;b;c", {L"a;b", L"c"}}, {L"a\\\\;b", {L"a\\", L"b"}},
      {L"C:\\dir", {L"C:dir"}},   {L"a\\", {L"a"}},           {L"a;;b", {L"a", L"", L"b"}},
      {L"a;", {L"a"}},            {L"", {}}};
  for (const auto& [text, items] : lists) EXPECT_EQ(items, ParseIniList(text)) << Narrow(text);
  const auto flags = [](const std::wstring& text) {
    return ParseIniFlags(text, kUpdateFlagNames, std::size(kUpdateFlagNames));
  };
  EXPECT_EQ(kUpdateCritical, flags(L"Critical|Bogus|SilentInstall")) << "an unknown name ends it";
  EXPECT_EQ(kUpdateCritical | kUpdateSys64, flags(L" Critical | Sys64 "));
  EXPECT_EQ(0u, flags(L"critical"));
}

TEST(IniFileTest, ValuesAndSectionListsOfAnyLengthReadWholeInBothEncodings) {
  for (const TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    // 254 characters fit the first buffer; 255 fill it to the terminator and may be cut off.
    for (const size_t length : {254u, 255u, 100000u}) {
      const TempFolder folder;
      const std::wstring value = L"<" + std::wstring(length - 2, L'x') + L">";
      test::WriteTextFile(folder.File(L"a.ini"), L"[G]\r\nLong=" + value + L"\r\nNext=1\r\n",
                          encoding);
      EXPECT_TRUE(value == IniFile(folder.File(L"a.ini")).ReadString(L"G", L"Long")) << length;
    }
    const TempFolder folder;
    std::wstring body;
    std::vector<std::wstring> names;
    for (int i = 0; i < 300; ++i) {  // far beyond the first buffer of 256 characters
      names.push_back(L"Section number " + std::to_wstring(i));
      body += L"[" + names.back() + L"]\r\nKey=1\r\n";
    }
    test::WriteTextFile(folder.File(L"s.ini"), body, encoding);
    EXPECT_EQ(names, IniReader(folder.File(L"s.ini")).SectionNames());
  }
}

TEST(IniFileTest, WritesKeepTheEncodingAndCannotPlantKeysOrSections) {
  for (const TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    const TempFolder folder;
    const std::wstring path = folder.File(L"handover.ini");
    test::WriteTextFile(path, L"[Update1]\r\nKept=1\r\n", encoding);
    const IniFile ini(path);
    ASSERT_EQ(kSuccess, ini.WriteString(L"Update1", L"Name", L"x\r\nCommandLine=/evil\n[Planted]"));
    EXPECT_EQ(L"x  CommandLine=/evil [Planted]", ini.ReadString(L"Update1", L"Name"));
    EXPECT_EQ(L"", ini.ReadString(L"Update1", L"CommandLine"));
    EXPECT_EQ(L"1", ini.ReadString(L"Update1", L"Kept"));
    EXPECT_EQ(std::vector<std::wstring>{L"Update1"}, ini.ReadSectionNames());
    EXPECT_EQ(encoding == TextEncoding::Utf16, test::ReadFileBytes(path).rfind("\xFF\xFE", 0) == 0);
  }
  const TempFolder folder;
  EXPECT_EQ(kSuccess, IniFile(folder.File(L"new.ini")).WriteString(L"G", L"URL", L"x"));
  EXPECT_NE(kSuccess, IniFile(folder.File(L"missing\\new.ini")).WriteString(L"G", L"URL", L"x"));
  EXPECT_FALSE(test::FileExists(folder.File(L"missing\\new.ini")));
}

}  // namespace
}  // namespace updater
