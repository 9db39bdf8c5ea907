#include "install/InstallerLaunch.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(InstallerLaunchTest, PlansEachKindOfInstaller) {
  // For an app package `parameters` is the path as a literal in its script, and `show` is -1.
  struct Case { const wchar_t *file, *commandLine; std::uint32_t flags; bool forceMsiBasicUi;
                const wchar_t* parameters; int show; };
  // An app package's path is a literal that no file name can leave: every quote is doubled.
  const Case cases[] = {
      {L"C:\\d\\setup.exe", L"/S /D=x", 0, true, L"/S /D=x", SW_SHOWNORMAL},
      {L"C:\\d\\setup.exe", L"", kUpdateSilentInstall, true, L"", SW_HIDE},
      {L"C:\\d\\p.msi", L"/qn", 0, false, L"/qn", SW_SHOWNORMAL},
      {L"C:\\d\\p.msi", L"REBOOT=R", kUpdateSilentInstall, true, L"REBOOT=R /qb", SW_HIDE},
      {L"C:\\d\\P.MSI", L"", 0, true, L" /qb", SW_SHOWNORMAL},
      {L"C:\\d\\p.msi", L"/qb!", 0, true, L"/qb!", SW_SHOWNORMAL},
      {L"C:\\d\\p.msp", L"/qn", 0, true, L"/qn", SW_SHOWNORMAL},
      {L"C:\\d\\p.msi.exe", L"", 0, true, L"", SW_SHOWNORMAL},
      {L"C:\\d\\a$(x)`n[1].APPX", L"/ignored", 0, true, L"'C:\\d\\a$(x)`n[1].APPX'", -1},
      {L"C:\\d\\a';x;'.appx", L"", 0, true, L"'C:\\d\\a'';x;''.appx'", -1},
      {L"C:\\d\\\u2018\u2019\u201a\u201b.appx", L"", 0, true,
       L"'C:\\d\\\u2018\u2018\u2019\u2019\u201a\u201a\u201b\u201b.appx'", -1},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.localFilePath = c.file;
    update.commandLine = c.commandLine;
    update.flags = c.flags;
    const InstallerLaunch launch = PlanInstallerLaunch(update, c.forceMsiBasicUi);
    const std::string what = Narrow(c.file) + " " + Narrow(c.commandLine);
    EXPECT_EQ(c.show == -1, launch.isAppPackage) << what;
    if (launch.isAppPackage) {
      EXPECT_EQ(L"Add-AppxPackage -LiteralPath " + std::wstring(c.parameters) +
                    L" \n exit $error.count\n",
                launch.script)
          << what;
      continue;
    }
    EXPECT_EQ(c.file, launch.file) << what;
    EXPECT_EQ(c.parameters, launch.parameters) << what;
    EXPECT_EQ(c.show, launch.show) << what;
  }
}

}  // namespace
}  // namespace updater
