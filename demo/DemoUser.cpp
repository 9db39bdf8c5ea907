// The demo's user of the update wizard (scripts/demo.sh, on the virtual display): waits for the
// sheet titled by its argument, saves each page it sees in ..\screenshots beside this program and
// goes on with Next and, on the summary, Finish. Exits 0 once the wizard has closed.
#include <cstdio>

#include "e2e/Scenario.h"
#include "e2e/WizardUser.h"
#include "resources/WizardIds.h"

namespace updater::test {
namespace {

int Walk(const std::wstring& title) {
  WizardUser user;
  if (!user.WaitForSheet(title)) return std::fputs("DemoUser: no wizard came\n", stderr), 1;
  SaveScreenshot(L"1-select");
  user.Press(kNext);
  // The progress page lasts as long as the download and the installation, often too short to catch.
  if (WaitUntil([&] { return user.Control(IDC_PROGRESS_STATUS) != nullptr; }, 2000, 5)) {
    SaveScreenshot(L"2-progress");
  }
  if (!WaitUntil([&] { return user.Control(IDC_SUMMARY_LIST) != nullptr; })) {
    return std::fputs("DemoUser: no summary page came\n", stderr), 1;
  }
  SaveScreenshot(L"3-summary");
  user.Press(kFinish);
  if (!WaitUntil([&] { return !IsWindow(user.Sheet()); })) {
    return std::fputs("DemoUser: Finish did not close the wizard\n", stderr), 1;
  }
  return 0;
}

}  // namespace
}  // namespace updater::test

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) return std::fputs("usage: DemoUser.exe SHEET-TITLE\n", stderr), 2;
  return updater::test::Walk(argv[1]);
}
