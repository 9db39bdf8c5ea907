#include "service/ServerLauncher.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ResultText.h"

namespace updater {
namespace {

using test::Narrow;

TEST(ServerLauncherTest, RefusesStartsWithoutConfigurationOrWithOtherThanOneValidBaseName) {
  const std::wstring base = L"0A1B2C3D_00EF_000A_0123_456789ABCDEF";
  const std::wstring many = L"To many parametes for updater service. Expecred 2. Transmited: ";
  const std::wstring refused = L"Refused the object base name the service was started with: ";
  const struct { const wchar_t* config; std::vector<std::wstring> arguments; std::wstring log; }
      cases[] = {
          {L"", {L"Updater", base}, L"Undefined client config"},
          {L"C:\\U.ini", {L"Updater"}, many + L"1 Params:Updater"},
          {L"C:\\U.ini", {L"Updater", base, L"x"}, many + L"3 Params:Updater " + base + L" x"},
          {L"C:\\U.ini", {L"Updater", L"a\r\nB", L""}, many + L"3 Params:Updater a??B "},
          {L"C:\\U.ini", {L"Updater", L"a\r\nConfig=x"}, refused + L"a??Config=x"},
          {L"C:\\U.ini", {L"Updater", L"x\\y"}, refused + L"x\\y"},
          {L"C:\\U.ini", {L"Updater", L""}, refused},
      };
  for (const auto& c : cases) {
    const size_t logged = test::LogText().size();
    ServerLauncher launcher(c.config, L"C:\\none\\Updater.exe");
    EXPECT_EQ(kServiceError, launcher.Handle(c.arguments)) << Narrow(c.log);
    const std::wstring line = c.log + L" LastError: " + ResultText(kServiceError) + L"\r\n";
    EXPECT_NE(std::wstring::npos, test::LogText().find(line, logged)) << Narrow(line);
  }
}

TEST(ServerLauncherTest, LoggedArgumentsAreOneBoundedLine) {
  const std::wstring longest = std::wstring(999, L'x');
  EXPECT_EQ(longest + L" ", LoggableServiceArguments({longest, L"y"}));
  EXPECT_EQ(longest + L" ", LoggableServiceArguments({longest, L"y", L"z"}));
  EXPECT_EQ(L"a? b?", LoggableServiceArguments({L"a\n", L"b\x85"}));
}

}  // namespace
}  // namespace updater
