#include <gtest/gtest.h>

#include "e2e/Scenario.h"

namespace updater::test {
namespace {

// A publisher message is shown in the Messages window before Windows 10 and as a toast, through
// PowerShell (the stand-in, as Wine has none), from Windows 10 on; Wine reports the version an
// application's defaults give it. The toast shows the message's image unless it is oversized.
TEST(MessageTest, OlderWindowsShowTheMessagesWindowNewerOnesAToast) {
  const std::wstring defaults = L"Software\\Wine\\AppDefaults\\Updater.exe";
  const struct {
    const char* what; bool toast; size_t imageBytes; const wchar_t* image; bool imageShown;
  } cases[] = {
      {"win7", false, 0, L"", false},
      {"win10 with an image", true, 1000, L"picture.png", true},
      {"win10 with an oversized image", true, 4 << 20, L"picture.png", false},
      // A picture named like the local copy of the update configuration file would replace it.
      {"win10 with an image that is no picture", true, 1000, L"updates.ini", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedRegistryTree version(defaults);
    SetRegistryString(HKEY_CURRENT_USER, defaults, L"Version", c.toast ? L"win10" : L"win7");
    PowerShellStandIn powerShell;
    ASSERT_TRUE(powerShell.Installed());
    Scenario s;
    std::wstring image;
    if (c.imageBytes > 0) {
      CreateDirectoryW(s.ServedPath(L"pictures").c_str(), nullptr);
      WriteBytes(s.ServedPath(L"pictures\\") + c.image, std::string(c.imageBytes, 'p'));
      image = L"MessageImageURL=" + s.Url(L"pictures/") + c.image + L"\r\n";
    }
    s.Publish(L"MessageTitle=Spring sale\r\nMessageBody=Half price on all upgrades\r\n"
              L"MessageExpirationDate=31/12/2099\r\n" + image);
    const RunOutcome outcome = s.Run(L"/silentall -nogui -nofreqcheck");
    EXPECT_EQ(0xE0000011u, outcome.exitCode) << Narrow(s.Log());
    EXPECT_EQ(c.toast ? 0 : 1, outcome.messageBoxes);
    EXPECT_EQ(c.toast ? L"" : L"Messages", outcome.boxCaption);
    PowerShellStandIn::Run run;
    EXPECT_EQ(c.toast, powerShell.Record(&run));
    EXPECT_EQ(c.toast, Contains(run.script, L"Spring sale")) << Narrow(run.script);
    EXPECT_EQ(c.imageShown, Contains(run.script, L"<image")) << Narrow(run.script);
    EXPECT_EQ(c.imageShown, FileExists(s.Downloads() + L"\\picture.png"));
    EXPECT_EQ(0u, ReadFileBytes(s.Downloads() + L"\\updates.ini").find(";qzu;"));
  }
}

}  // namespace
}  // namespace updater::test
