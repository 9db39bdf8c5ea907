#include "ui/WebLink.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

// Server texts and the URL protocol are hostile: only web addresses reach the shell, and a
// refused one leaves no shortcut behind.
TEST(WebLinkTest, OnlyWebLinksAreOpened) {
  const std::pair<const wchar_t*, bool> cases[] = {
      {L"https://a.invalid/news", true},
      {L"HTTP://a.invalid/", true},
      {L"http://", false},
      {L" http://a.invalid/", false},
      {L"javascript:alert(1)", false},
      {L"file:///C:/Windows/notepad.exe", false},
      {L"cmd.exe /c calc", false},
      {L"C:\\Windows\\System32\\calc.exe", false},
      {L"\\\\host\\share\\a.exe", false},
      {L"mailto:a@b.invalid", false},
  };
  for (const auto& [target, openable] : cases) {
    EXPECT_EQ(openable, IsOpenableLink(target)) << Narrow(target);
    std::wstring shortcut = L"stale";
    if (!openable) {
      EXPECT_EQ(ResultCode{ERROR_INVALID_DATA},
                OpenLink({0, 1, FormatKind::Link, target, 0}, &shortcut));
      EXPECT_EQ(L"", shortcut) << Narrow(target);
    }
  }
  std::wstring shortcut;
  EXPECT_EQ(ResultCode{ERROR_INVALID_DATA},
            OpenLink({0, 1, FormatKind::Bold, L"https://x.invalid/", 0}, &shortcut));
}

TEST(WebLinkTest, ShortcutCarriesTheTargetPercentEncoded) {
  const std::pair<std::wstring, const char*> cases[] = {
      {L"https://x.invalid/a b", "https://x.invalid/a%20b"},
      {L"http://x/\u00fc?q=1&r=[2]#t", "http://x/%C3%BC?q=1&r=[2]#t"},
      {L"http://x/\r\nIconFile=C:\\e.ico", "http://x/%0D%0AIconFile=C:%5Ce.ico"},
      {L"http://x/\"<>%", "http://x/%22%3C%3E%25"},
      {L"file:///C:/Windows/notepad.exe", nullptr},
      {L"http://x/" + std::wstring(2100, L'a'), nullptr},
      {L"http://x/" + std::wstring(1000, L' '), nullptr},
  };
  for (const auto& [target, url] : cases) {
    const std::string text = url ? "[InternetShortcut]\r\nURL=" + std::string(url) + "\r\n" : "";
    EXPECT_EQ(text, InternetShortcutText(target)) << Narrow(target.substr(0, 40));
  }
}

}  // namespace
}  // namespace updater
