#include "base/IniFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;
using test::TempFolder;
using test::TextEncoding;
using test::WriteTextFile;

const TextEncoding kEncodings[] = {TextEncoding::Ansi, TextEncoding::Utf16};

const char* EncodingName(TextEncoding encoding) {
  return encoding == TextEncoding::Ansi ? "ANSI" : "UTF-16";
}

TEST(IniFileTest, ReadsValuesInBothEncodings) {
  for (const TextEncoding encoding : kEncodings) {
    const TempFolder folder;
    const std::wstring path = folder.File(L"client.ini");
    WriteTextFile(path, L"[General]\r\nName=Acme Writer\r\nEmpty=\r\n[Other]\r\nName=Other\r\n",
                  encoding);
    const IniFile ini(path);
    EXPECT_EQ(L"Acme Writer", ini.ReadString(L"General", L"Name")) << EncodingName(encoding);
    EXPECT_EQ(L"Other", ini.ReadString(L"Other", L"Name")) << EncodingName(encoding);
    EXPECT_EQ(L"", ini.ReadString(L"General", L"Empty")) << EncodingName(encoding);
    EXPECT_EQ(L"", ini.ReadString(L"General", L"Missing")) << EncodingName(encoding);
    EXPECT_EQ(L"", ini.ReadString(L"Missing", L"Name")) << EncodingName(encoding);
  }
  EXPECT_EQ(L"", IniFile(TempFolder().File(L"missing.ini")).ReadString(L"General", L"Name"));
}

TEST(IniFileTest, ReadsValuesOfAnyLengthWhole) {
  // Lengths around the first buffer sizes, and one far beyond them.
  const size_t lengths[] = {254, 255, 256, 257, 511, 512, 100000};
  for (const TextEncoding encoding : kEncodings) {
    for (const size_t length : lengths) {
      const TempFolder folder;
      const std::wstring path = folder.File(L"long.ini");
      std::wstring value(length, L'x');
      value.front() = L'<';
      value.back() = L'>';
      WriteTextFile(path, L"[General]\r\nLong=" + value + L"\r\nNext=1\r\n", encoding);
      const std::wstring read = IniFile(path).ReadString(L"General", L"Long");
      EXPECT_EQ(length, read.size()) << EncodingName(encoding) << " length " << length;
      EXPECT_TRUE(read == value) << EncodingName(encoding) << " length " << length;
    }
  }
}

TEST(IniFileTest, NumberedListStopsAtFirstGapAfterTheUnnumberedKey) {
  struct Case {
    const wchar_t* body;
    std::vector<std::wstring> urls;
  };
  const Case cases[] = {
      {L"URL=a\r\nURL1=b\r\nURL2=c\r\n", {L"a", L"b", L"c"}},
      {L"URL=\r\nURL1=b\r\nURL2=c\r\n", {L"b", L"c"}},
      {L"URL1=b\r\n", {L"b"}},
      {L"URL=a\r\nURL1=b\r\nURL3=d\r\n", {L"a", L"b"}},
      {L"URL=a\r\nURL1=\r\nURL2=c\r\n", {L"a"}},
      {L"URL=a\r\nURL2=c\r\n", {L"a"}},
      {L"URL0=z\r\nURL=a\r\n", {L"a"}},
      {L"Other=1\r\n", {}},
  };
  for (const TextEncoding encoding : kEncodings) {
    for (const Case& c : cases) {
      const TempFolder folder;
      const std::wstring path = folder.File(L"urls.ini");
      WriteTextFile(path, std::wstring(L"[General]\r\n") + c.body, encoding);
      EXPECT_EQ(c.urls, IniFile(path).ReadNumberedList(L"General", L"URL"))
          << EncodingName(encoding) << ": " << Narrow(c.body);
    }
  }
}

TEST(IniFileTest, WrittenValuesReadBackAndKeepTheEncoding) {
  for (const TextEncoding encoding : kEncodings) {
    const TempFolder folder;
    const std::wstring path = folder.File(L"handover.ini");
    WriteTextFile(path, L"[General]\r\nKept=1\r\n", encoding);
    const IniFile ini(path);
    EXPECT_EQ(kSuccess, ini.WriteString(L"General", L"NoGUI", L"true"));
    EXPECT_EQ(kSuccess, ini.WriteString(L"Added", L"Path", L"C:\\x y\\z.ini"));
    EXPECT_EQ(L"true", ini.ReadString(L"General", L"NoGUI")) << EncodingName(encoding);
    EXPECT_EQ(L"1", ini.ReadString(L"General", L"Kept")) << EncodingName(encoding);
    EXPECT_EQ(L"C:\\x y\\z.ini", ini.ReadString(L"Added", L"Path")) << EncodingName(encoding);
    const bool hasByteOrderMark = test::ReadFileBytes(path).rfind("\xFF\xFE", 0) == 0;
    EXPECT_EQ(encoding == TextEncoding::Utf16, hasByteOrderMark) << EncodingName(encoding);
  }
}

TEST(IniFileTest, LineBreaksInAValueCannotPlantKeysOrSections) {
  const TempFolder folder;
  const IniFile ini(folder.File(L"selected.ini"));
  ASSERT_EQ(kSuccess, ini.WriteString(L"Update1", L"Name",
                                      L"Fix\r\nCommandLine=/evil\n[Planted]\r\nSize=1"));
  EXPECT_EQ(L"Fix  CommandLine=/evil [Planted]  Size=1", ini.ReadString(L"Update1", L"Name"));
  EXPECT_EQ(L"", ini.ReadString(L"Update1", L"CommandLine"));
  EXPECT_EQ(std::vector<std::wstring>{L"Update1"}, ini.ReadSectionNames());
}

TEST(IniFileTest, WritingCreatesMissingFileAndFailsInMissingFolder) {
  const TempFolder folder;
  const IniFile created(folder.File(L"new.ini"));
  EXPECT_EQ(kSuccess, created.WriteString(L"General", L"URL", L"https://example.com/u.ini"));
  EXPECT_EQ(L"https://example.com/u.ini", created.ReadString(L"General", L"URL"));

  const IniFile nowhere(folder.File(L"missing\\new.ini"));
  EXPECT_NE(kSuccess, nowhere.WriteString(L"General", L"URL", L"x"));
  EXPECT_FALSE(test::FileExists(folder.File(L"missing\\new.ini")));
}

}  // namespace
}  // namespace updater
