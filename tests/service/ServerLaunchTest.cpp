#include <gtest/gtest.h>

#include "service/ServerLaunch.h"

namespace updater {
namespace {

TEST(ServerLaunchTest, PackagesAndPatchesRunThroughTheSystemMsiexecWithoutInterface) {
  struct Case { const wchar_t* installer; const wchar_t* arguments; const wchar_t* windows;
                ResultCode result; const wchar_t* program; const wchar_t* commandLine; };
  const Case cases[] = {
      {L"C:\\w\\a.msi", L"", L"C:\\Windows", 0, L"C:\\Windows\\system32\\msiexec.exe",
       L"\"msiexec.exe\" /i \"C:\\w\\a.msi\" /qn"},
      {L"C:\\w\\a.MSP", L"REBOOT=R", L"D:\\Win\\", 0, L"D:\\Win\\system32\\msiexec.exe",
       L"\"msiexec.exe\" /p \"C:\\w\\a.MSP\" /qn REBOOT=R"},
      {L"C:\\w\\setup.exe", L"/S /D", L"", 0, L"C:\\w\\setup.exe", L"\"C:\\w\\setup.exe\" /S /D"},
      {L"C:\\w\\a.msi.exe", L"", L"C:\\Windows", 0, L"C:\\w\\a.msi.exe", L"\"C:\\w\\a.msi.exe\" "},
      {L"C:\\w\\a.msi", L"", L"", kMsiexecNotFound, L"", L""},
  };
  for (const Case& c : cases) {
    ServerLaunch launch;
    EXPECT_EQ(c.result, PlanServerLaunch(c.installer, c.arguments, c.windows, &launch)) << c.installer;
    EXPECT_EQ(c.program, launch.program) << c.installer;
    EXPECT_EQ(c.commandLine, launch.commandLine) << c.installer;
  }
}

TEST(ServerLaunchTest, TheExenouiTokenWrapsTheCommandLineElseTheSwitchFollowsIt) {
  struct Case { const wchar_t* commandLine; const wchar_t* noGuiSwitch; const wchar_t* arguments; };
  const Case cases[] = {
      {L"/log x", L"/S", L"/log x /S"},
      {L"", L"/S", L" /S"},
      {L"/log x", L"", L"/log x "},
      {L"/log x", L"/exenoui", L"/exenoui /log x /qn"},
      {L"", L"/EXENOUI", L"/exenoui /qn"},
      {L"/log x", L"/S /ExeNoUi", L"/exenoui /log x /qn"},
      {L"/log x", L"/exenouix", L"/log x /exenouix"},
      {L"/log x", L"x/exenoui", L"/log x x/exenoui"},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.commandLine = c.commandLine;
    update.noGuiSwitch = c.noGuiSwitch;
    EXPECT_EQ(c.arguments, SilentCommandLine(update)) << c.commandLine << " | " << c.noGuiSwitch;
  }
}

}  // namespace
}  // namespace updater
