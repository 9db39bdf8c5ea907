#include "ui/WebLink.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

// Server texts and the URL protocol are hostile: only web addresses reach the shell.
TEST(WebLinkTest, OnlyWebLinksAreOpened) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"https://a.invalid/news", true},
      {L"HTTP://a.invalid/", true},
      {L"http://", false},
      {L" http://a.invalid/", false},
      {L"file:///C:/Windows/notepad.exe", false},
      {L"javascript:alert(1)", false},
      {L"cmd.exe /c calc", false},
      {L"C:\\Windows\\System32\\calc.exe", false},
      {L"\\\\host\\share\\setup.exe", false},
      {L"mailto:a@b.invalid", false},
  };
  for (const auto& [link, openable] : cases) {
    EXPECT_EQ(openable, IsOpenableLink(link)) << Narrow(link);
    std::wstring shortcut = L"stale";
    FormatRange range;
    range.kind = FormatKind::Link;
    range.target = link;
    if (!openable) {
      EXPECT_EQ(static_cast<ResultCode>(ERROR_INVALID_DATA), OpenLink(range, &shortcut))
          << Narrow(link);
      EXPECT_EQ(L"", shortcut) << "no shortcut may be written for " << Narrow(link);
    }
  }
}

TEST(WebLinkTest, ShortcutCarriesTheTargetPercentEncoded) {
  const std::pair<std::wstring, const char*> cases[] = {
      {L"https://x.invalid/a b", "[InternetShortcut]\r\nURL=https://x.invalid/a%20b\r\n"},
      {L"http://x/\u00fc?q=1&r=[2]#t", "[InternetShortcut]\r\nURL=http://x/%C3%BC?q=1&r=[2]#t\r\n"},
      {L"http://x/\r\nIconFile=C:\\e.ico",
       "[InternetShortcut]\r\nURL=http://x/%0D%0AIconFile=C:%5Ce.ico\r\n"},
      {L"http://x/\"<>%", "[InternetShortcut]\r\nURL=http://x/%22%3C%3E%25\r\n"},
      {L"file:///C:/Windows/notepad.exe", ""},
      {L"http://x/" + std::wstring(2100, L'a'), ""},
      {L"http://x/" + std::wstring(1000, L' '), ""},
  };
  for (const auto& [target, text] : cases) {
    EXPECT_EQ(text, InternetShortcutText(target)) << Narrow(target.substr(0, 40));
  }
}

TEST(WebLinkTest, AClickFindsTheLinkSpanningExactlyTheClickedCharacters) {
  FormatRange bold{0, 5, FormatKind::Bold, L"", 0};
  FormatRange link{6, 10, FormatKind::Link, L"https://x.invalid/", 0};
  const std::vector<FormatRange> ranges = {bold, link};
  const std::pair<CHARRANGE, const FormatRange*> cases[] = {
      {{6, 10}, &ranges[1]}, {{0, 5}, nullptr}, {{6, 9}, nullptr}, {{7, 10}, nullptr}};
  for (const auto& [clicked, found] : cases) {
    EXPECT_EQ(found, FindLink(ranges, clicked)) << clicked.cpMin << "-" << clicked.cpMax;
  }
  std::wstring shortcut;
  bold.target = L"https://x.invalid/";
  EXPECT_EQ(static_cast<ResultCode>(ERROR_INVALID_DATA), OpenLink(bold, &shortcut))
      << "only a link range opens";
}

}  // namespace
}  // namespace updater
