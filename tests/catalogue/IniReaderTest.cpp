#include "catalogue/IniReader.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <sstream>

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

std::wstring ProfileValue(const std::wstring& path, const wchar_t* section, const wchar_t* key) {
  std::wstring buffer(kMaxIniValueLength + 1, L'\0');
  buffer.resize(GetPrivateProfileStringW(section, key, L"", buffer.data(),
                                         static_cast<DWORD>(buffer.size()), path.c_str()));
  return buffer;
}

std::vector<std::wstring> ProfileSectionNames(const std::wstring& path) {
  std::wstring buffer(4096, L'\0');
  buffer.resize(GetPrivateProfileSectionNamesW(buffer.data(), 4096, path.c_str()));
  std::vector<std::wstring> names;
  std::wistringstream list(buffer);
  for (std::wstring name; std::getline(list, name, L'\0');) names.push_back(name);
  return names;
}

// GetPrivateProfileStringW is the oracle: the same file must give the same value and section
// names, once as written and once as UTF-16LE.
TEST(IniDocumentTest, AnswersAsTheProfileFunctionsOnTheSameFile) {
  struct Case { std::string bytes; const wchar_t* section; const wchar_t* key; };
  const std::string nul("[S]\r\nk=x\0y\r\nj \0x=2\r\n[T\0U]\r\nk=3", 30);
  const Case cases[] = {
      {"[S]\r\nk=v", L"S", L"k"}, {"[S]\nk = v w \n", L"s", L" K "}, {"[S]\r\nk=a=b", L"S", L"k"},
      {"[S]\rk=1\r\r\n\nj=2", L"S", L"j"}, {"[S]\r\nk=\r\nk=1", L"S", L"k"},
      {"[S]\r\nk=\"v\"", L"S", L"k"}, {"[S]\r\nk=  ' q '  ", L"S", L"k"}, {"[S]\r\n=e", L"S", L""},
      {"[S]\r\nk=\"v'", L"S", L"k"}, {"[S]\r\nk=\"\"", L"S", L"k"}, {"[S]\r\nk=\"", L"S", L"k"},
      {"[S]\r\n;k=1\r\nk=2", L"S", L";k"}, {"[S]\r\n;k=1\r\nk=2", L"S", L"k"},
      {"[S]\r\nk\r\nk=1", L"S", L"k"}, {"[S]\r\nK=1\r\nk=2", L"S", L"k"},
      {"[S]\r\nk=1\r\n[B]\r\n[s]\r\nj=2", L"S", L"j"}, {"[S]\r\nk=1\r\n[B]\r\n[s]", L"s", L"k"},
      {"  [ S ]  \r\nk=1", L" s ", L"k"}, {"[a]b] tail\r\nk=1", L"a]b", L"k"},
      {"[S]x=1\r\nk=2", L"S", L"x"}, {"[S]x=1\r\nk=2", L"S", L"k"}, {"[S]\r\n[T=5", L"S", L"[T"},
      {"k=0\r\n[S]\r\n[]\r\nk=1", L"", L"k"}, {"[]\r\nk=1", L"", L"k"},
      {"\x1A[S]\x1A\r\n\tk\x0B=\x0C v\x1A\r\n", L"S", L"k"}, {"[S]\r\nk=\x1Cv\x01\xA0", L"S", L"k"},
      {"[\xDC]\r\n\xDC=1", L"\xDC", L"\xDC"}, {"[\xDC]\r\n\xDC=1", L"\xFC", L"\xDC"},
      {"[\xDC]\r\n\xDC=1", L"\xDC", L"\xFC"}, {"[S]\r\nk=\xE9\x80\x81", L"S", L"k"},
      {nul, L"S", L"k"}, {nul, L"S", L"j"}, {nul, L"T", L"k"}, {"", L"S", L"k"},
      {"\xEF\xBB\xBF[S]\r\nk=\xC3\x9C", L"S", L"k"},
      {std::string("\xFE\xFF\0[\0S\0]\0\n\0k\0=\0v", 16), L"S", L"k"},
      {std::string("[\0S\0]\0\n\0k\0=\0v\0", 14), L"S", L"k"},
      {"[S]\r\nk=" + std::string(100000, 'x') + "\r\nj=1", L"S", L"k"},
  };
  const test::TempFolder folder;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    for (const bool asUtf16 : {false, true}) {
      const Case& c = cases[i];
      // A file of its own each time: the profile functions cache files they have read.
      const std::wstring path = folder.File(std::to_wstring(i) + (asUtf16 ? L"w.ini" : L".ini"));
      std::ofstream(path.c_str(), std::ios::binary) << (asUtf16 ? test::Utf16(c.bytes) : c.bytes);
      IniDocument document;
      ASSERT_EQ(kSuccess, IniFile(path).Read(&document));
      const std::string where = "case " + std::to_string(i) + (asUtf16 ? " as UTF-16" : "");
      EXPECT_EQ(ProfileValue(path, c.section, c.key), document.Value(c.section, c.key)) << where;
      EXPECT_EQ(ProfileSectionNames(path), document.SectionNames()) << where;
    }
  }
}

TEST(IniFileTest, WritesKeepTheEncodingAndCannotPlantKeysOrSections) {
  for (const TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    const TempFolder folder;
    const std::wstring path = folder.File(L"handover.ini");
    test::WriteTextFile(path, L"[Update1]\r\nKept=1\r\n", encoding);
    ASSERT_EQ(kSuccess, IniFile(path).WriteString(L"Update1", L"Name",
                                                  L"x\r\nCommandLine=/evil\n[Planted]"));
    IniDocument ini;
    ASSERT_EQ(kSuccess, IniFile(path).Read(&ini));
    EXPECT_EQ(L"x  CommandLine=/evil [Planted]", ini.Value(L"Update1", L"Name"));
    EXPECT_EQ(L"", ini.Value(L"Update1", L"CommandLine"));
    EXPECT_EQ(L"1", ini.Value(L"Update1", L"Kept"));
    EXPECT_EQ(std::vector<std::wstring>{L"Update1"}, ini.SectionNames());
    EXPECT_EQ(encoding == TextEncoding::Utf16, test::ReadFileBytes(path).rfind("\xFF\xFE", 0) == 0);
  }
  const TempFolder folder;
  EXPECT_EQ(kSuccess, IniFile(folder.File(L"new.ini")).WriteString(L"G", L"URL", L"x"));
  EXPECT_NE(kSuccess, IniFile(folder.File(L"missing\\new.ini")).WriteString(L"G", L"URL", L"x"));
  EXPECT_FALSE(test::FileExists(folder.File(L"missing\\new.ini")));
}

}  // namespace
}  // namespace updater
