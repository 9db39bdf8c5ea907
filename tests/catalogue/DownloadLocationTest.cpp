#include "catalogue/DownloadLocation.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(DownloadLocationTest, PlainFileNamesNameOneFileInTheFolder) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"setup.exe", true}, {L".hidden", true}, {L"CONSOLE.exe", true}, {L"COM10.exe", true},
      {L"LPT", true}, {L"xnul.tar.gz", true}, {L"a.COM1", true}, {L"", false}, {L".", false},
      {L"..", false}, {L". .", false}, {L"setup.exe.", false}, {L"setup.exe ", false},
      {L"a/b", false}, {L"..\\b", false}, {L"C:x", false}, {L"a|b?.exe", false}, {L"a\tb", false},
      {L"CON", false}, {L"con", false}, {L"COM1.exe", false}, {L"nul.tar.gz", false},
      {L"Lpt9", false}, {L"COM1 .exe", false}, {L"aux  .txt", false}, {L"CONIN$", false},
      {L"LPT0.msi", false}, {L"com\u00B9.e", false},
      {std::wstring(255, L'a'), true}, {std::wstring(256, L'a'), false},
  };
  for (const auto& [name, plain] : cases) {
    EXPECT_EQ(plain, IsPlainFileName(name)) << test::Narrow(name);
  }
}

}  // namespace
}  // namespace updater
