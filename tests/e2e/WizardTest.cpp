#include <gtest/gtest.h>

#include <functional>

#include "e2e/Scenario.h"
#include "e2e/WizardUser.h"
#include "resources/WizardIds.h"

namespace updater::test {
namespace {

constexpr DWORD kCanceled = 0xE0000008;

// The temporary copy's wizard, started by /checknow; the installed updater ends once it has
// handed over.
bool StartWizard(const Scenario& s, WizardUser& user) {
  EXPECT_EQ(0u, s.Run(L"/checknow").exitCode) << "no copy started";
  return user.WaitForSheet(L"Found Updates for Test App");
}

// The wizard's result as its log line reads, or "none". Waits for the copy's last line too, so
// that whatever the copy logs after the wizard is in the log when the test reads it.
std::wstring WizardEnd(const Scenario& s) {
  const std::wstring ended = L"Updater wizard ended. Return code: ";
  std::wstring log;
  size_t at = std::wstring::npos, end = std::wstring::npos;
  WaitUntil([&] {
    log = s.Log();
    at = log.find(ended);
    end = at == std::wstring::npos ? at : log.find(L'\r', at);
    return end != std::wstring::npos && log.find(L"Updater finished. Mode: ", end) != log.npos;
  });
  return end == std::wstring::npos ? L"none" : log.substr(at + ended.size(), end - at - ended.size());
}

TEST(WizardTest, ChosenUpdateInstallsAndTheSummaryShowsIt) {
  Scenario s;
  s.Configure(L"ApplicationName=Test App\r\nURL=" + s.Url(L"updates.ini") +
                  L"\r\nFlags=VertSplitter\r\n", true);
  s.Publish(s.Section({L"Chosen", L"Description=What the chosen update mends\r\n"}) +
            s.Section({L"Unchosen"}));
  WizardUser user;
  ASSERT_TRUE(StartWizard(s, user)) << Narrow(s.Log());
  EXPECT_TRUE(GetWindowLongW(user.Sheet(), GWL_STYLE) & WS_MINIMIZEBOX);
  EXPECT_FALSE(GetWindowLongW(user.Sheet(), GWL_EXSTYLE) & WS_EX_CONTEXTHELP);
  EXPECT_FALSE(GetWindowLongW(user.Sheet(), GWL_STYLE) & WS_MAXIMIZEBOX);
  RECT placed = {};
  GetWindowRect(user.Sheet(), &placed);
  const RECT sideBySide = {215, 212, 1065, 812};  // 850 x 600, centred on the 1280 x 1024 screen
  EXPECT_TRUE(EqualRect(&placed, &sideBySide)) << placed.left << "," << placed.top << " "
                                               << placed.right << "," << placed.bottom;
  RECT cancel = {}, list = {};
  GetWindowRect(GetDlgItem(user.Sheet(), IDCANCEL), &cancel);
  GetWindowRect(user.Control(IDC_SELECT_LIST), &list);
  EXPECT_TRUE(sideBySide.right - cancel.right < 30 && sideBySide.bottom - cancel.bottom < 30 &&
              list.bottom - list.top > 400)
      << "the contents stayed where the smaller sheet had them";
  ASSERT_EQ(2, user.Rows(IDC_SELECT_LIST));
  EXPECT_EQ(L"Chosen update", user.Cell(IDC_SELECT_LIST, 0, 0));
  EXPECT_EQ(L"Download", user.Cell(IDC_SELECT_LIST, 1, 2));
  EXPECT_TRUE(user.Checked(IDC_SELECT_LIST, 0) && user.Checked(IDC_SELECT_LIST, 1));
  EXPECT_TRUE(Contains(user.Text(IDC_SELECT_DESCRIPTION), L"What the chosen update mends"))
      << Narrow(user.Text(IDC_SELECT_DESCRIPTION));
  SaveScreenshot(L"wizard-select");

  // Unchecking both leaves nothing to install: Next is disabled until one is checked again.
  user.Click(IDC_SELECT_LIST, 0);
  user.Click(IDC_SELECT_LIST, 1);
  EXPECT_TRUE(WaitUntil([&] { return !user.Enabled(kNext); }, 5000)) << "Next enabled";
  EXPECT_EQ(L"Skip", user.Cell(IDC_SELECT_LIST, 1, 2));
  SaveScreenshot(L"wizard-select-none");
  user.Click(IDC_SELECT_LIST, 0);
  EXPECT_TRUE(WaitUntil([&] { return user.Enabled(kNext); }, 5000)) << "Next disabled";
  EXPECT_TRUE(user.Checked(IDC_SELECT_LIST, 0) && !user.Checked(IDC_SELECT_LIST, 1));

  user.Press(kNext);
  EXPECT_TRUE(WaitUntil([&] { return user.Control(IDC_SUMMARY_LIST) != nullptr; }))
      << "no summary";
  EXPECT_EQ(L"Installing Updates for Test App", user.Title());
  ASSERT_EQ(1, user.Rows(IDC_SUMMARY_LIST));
  EXPECT_EQ(L"Chosen update", user.Cell(IDC_SUMMARY_LIST, 0, 0));
  EXPECT_EQ(L"Success.", user.Cell(IDC_SUMMARY_LIST, 0, 1));  // Wine's text for 0
  EXPECT_EQ(L"", user.Text(IDC_SUMMARY_TEXT));
  SaveScreenshot(L"wizard-summary");
  user.Press(kFinish);
  EXPECT_EQ(L"0", WizardEnd(s));
  EXPECT_FALSE(Contains(s.Log(), L"closed without finishing"));
  EXPECT_TRUE(FileExists(s.Marker(L"Chosen")));
  EXPECT_FALSE(FileExists(s.Marker(L"Unchosen")));
}

TEST(WizardTest, CancelDuringADownloadEndsTheWizardWithoutInstalling) {
  Scenario s;
  s.Publish(s.FaultySection({L"Slow"}, L"trickle/"));  // still downloading when looked at
  WizardUser user;
  ASSERT_TRUE(StartWizard(s, user)) << Narrow(s.Log());
  user.Press(kNext);
  EXPECT_TRUE(WaitUntil([&] { return Contains(user.Text(IDC_PROGRESS_STATUS), L"Downloading ("); }))
      << Narrow(user.Text(IDC_PROGRESS_STATUS));
  EXPECT_EQ(L"Installing Updates for Test App", user.Title());
  EXPECT_FALSE(user.Enabled(kNext));
  SaveScreenshot(L"wizard-progress");
  user.Press(IDCANCEL);
  EXPECT_EQ(std::to_wstring(kCanceled), WizardEnd(s));
  EXPECT_TRUE(Contains(s.Log(), L"The update wizard was closed without finishing"));
  EXPECT_FALSE(FileExists(s.Marker(L"Slow")));
}

// A failed installer shows in the summary, whose Back leads to the choice of updates again.
TEST(WizardTest, FailedUpdateShowsInTheSummaryAndBackChoosesAgain) {
  Scenario s;
  s.Publish(s.Section({L"Failing", L"", 5, false}));
  WizardUser user;
  ASSERT_TRUE(StartWizard(s, user)) << Narrow(s.Log());
  EXPECT_EQ(nullptr, user.Control(IDC_SELECT_LIST)) << "a single update shows only its description";
  SaveScreenshot(L"wizard-select-single");
  user.Press(kNext);
  ASSERT_TRUE(WaitUntil([&] { return user.Control(IDC_SUMMARY_LIST) != nullptr; })) << "no summary";
  EXPECT_EQ(L"Some of the updates failed to install properly.", user.Text(IDC_SUMMARY_TEXT));
  EXPECT_EQ(0u, user.Cell(IDC_SUMMARY_LIST, 0, 1).rfind(L"Error: ", 0)) << "not an error";
  EXPECT_TRUE(user.Enabled(kBack));
  SaveScreenshot(L"wizard-summary-failed");
  user.Press(kBack);
  EXPECT_TRUE(WaitUntil([&] { return user.Control(IDC_SELECT_DESCRIPTION) != nullptr; }))
      << "not back at the choice";
  user.Press(IDCANCEL);
  EXPECT_EQ(std::to_wstring(0xE000000Cu), WizardEnd(s));  // the installation failed
}

// Each way of changing a check in the real list goes by the check rules (SelectionRulesTest
// holds the rules): check box, context menu and double click; a second updater started meanwhile
// brings the sheet back from the notification area.
TEST(WizardTest, ListRulesMenuDoubleClickAndASecondStartBringingTheSheetBack) {
  Scenario s;
  const wchar_t* unticked = L"Flags=SilentInstall|NotSelected\r\n";
  s.Publish(s.Section({L"Top", std::wstring(L"Depends=Base\r\n") + unticked}) +
            s.Section({L"Base", unticked}));
  WizardUser user;
  ASSERT_TRUE(StartWizard(s, user)) << Narrow(s.Log());
  ASSERT_EQ(2, user.Rows(IDC_SELECT_LIST));
  const auto checks = [&] {
    std::wstring marks;
    for (int row = 0; row < 2; ++row) marks += user.Checked(IDC_SELECT_LIST, row) ? L'x' : L'-';
    return marks;
  };
  // The menu acts on the selected row, the first; its items are Install, then Skip.
  struct Step { std::function<void()> act; const wchar_t* checks; const char* what; };
  const Step steps[] = {
      {[&] { user.Click(IDC_SELECT_LIST, 0); }, L"xx", "checking pulls its dependency in"},
      {[&] { user.ChooseFromMenu(IDC_SELECT_LIST, 2); }, L"-x", "Skip from the menu"},
      {[&] { user.ChooseFromMenu(IDC_SELECT_LIST, 1); }, L"xx", "Install from the menu"},
      {[&] { user.DoubleClick(IDC_SELECT_LIST, 0); }, L"-x", "a double click"},
  };
  for (const Step& step : steps) {
    step.act();
    EXPECT_TRUE(WaitUntil([&] { return checks() == step.checks; }, 5000))
        << step.what << ": " << Narrow(checks());
  }
  SaveScreenshot(L"wizard-select-rules");

  PostMessageW(user.Sheet(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return !IsWindowVisible(user.Sheet()); }, 5000)) << "not in the tray";
  // A second /checknow finds the copy at work and signals it instead of copying itself over it.
  EXPECT_EQ(0xE0000027u, s.Run(L"/checknow").exitCode);
  EXPECT_TRUE(WaitUntil([&] {
    return IsWindowVisible(user.Sheet()) && !IsIconic(user.Sheet()) &&
           GetForegroundWindow() == user.Sheet();
  })) << "the sheet stayed away";
  SaveScreenshot(L"wizard-brought-back");
}

// A corrupt download is offered again: Yes downloads it once more, No leaves the failure.
TEST(WizardTest, CorruptDownloadRestartsOnYesAndFailsOnNo) {
  Scenario s;
  s.Publish(s.Section({L"Corrupt", L"SHA256=" + std::wstring(64, L'0') + L"\r\n"}));
  WizardUser user;
  ASSERT_TRUE(StartWizard(s, user)) << Narrow(s.Log());
  user.Press(kNext);
  const std::wstring question = L"The file was corrupt (wrong SHA256 signature). Restart download?";
  EXPECT_EQ(question, user.AnswerBox(IDYES));
  SaveScreenshot(L"wizard-download-restarting");
  EXPECT_EQ(question, user.AnswerBox(IDNO));
  ASSERT_TRUE(WaitUntil([&] { return user.Control(IDC_SUMMARY_LIST) != nullptr; })) << "no summary";
  EXPECT_EQ(2u, s.Requests(L"Corrupt.exe").size());
  EXPECT_TRUE(Contains(user.Cell(IDC_SUMMARY_LIST, 0, 1), L"SHA256"))
      << Narrow(user.Cell(IDC_SUMMARY_LIST, 0, 1));
  EXPECT_EQ(L"Some of the updates failed to install properly.", user.Text(IDC_SUMMARY_TEXT));
  SaveScreenshot(L"wizard-summary-corrupt");
  EXPECT_FALSE(FileExists(s.Marker(L"Corrupt")));
}

// /silent offers the choice; the two answers that end the wizard at once keep the next automatic
// check from running, which a check frequency of 0 days would otherwise let run at once.
TEST(WizardTest, ChoiceToWaitOrToStopCheckingEndsTheWizard) {
  struct Case { int button; DWORD nextSilentRun; };
  for (const Case& c : {Case{IDC_REMIND_TOMORROW, 0xE000001A}, {IDC_DISABLE_AUTO_CHECK, 0xE0000019}}) {
    Scenario s;
    s.Publish(s.Section({L"Offered"}));
    s.Set(L"CheckFrequency", 0);
    WizardUser user;
    EXPECT_EQ(0u, s.Run(L"/silent").exitCode) << "no copy started";
    ASSERT_TRUE(user.WaitForSheet(L"Found Updates for Test App")) << Narrow(s.Log());
    EXPECT_EQ(L"Remind me tomorrow", user.Text(IDC_REMIND_TOMORROW));
    EXPECT_EQ(nullptr, user.Control(IDC_CONFIGURE_OPTIONS)) << "shown without its flag";
    SaveScreenshot(L"wizard-choice");
    PostMessageW(user.Control(c.button), BM_CLICK, 0, 0);
    EXPECT_EQ(L"0", WizardEnd(s)) << c.button;
    EXPECT_FALSE(FileExists(s.Marker(L"Offered")));
    EXPECT_EQ(c.nextSilentRun, s.Run(L"/silent").exitCode) << c.button;
  }
}

TEST(WizardTest, ReducedWindowShowsTheProgressWithoutCancel) {
  Scenario s;
  s.Publish(s.FaultySection({L"Slow"}, L"trickle/"));  // still downloading when looked at
  WizardUser user;
  EXPECT_EQ(0u, s.Run(L"/silentall -reducedgui -nofreqcheck").exitCode) << "no copy started";
  ASSERT_TRUE(user.WaitForSheet(L"Installing Updates for Test App")) << Narrow(s.Log());
  EXPECT_TRUE(WaitUntil([&] { return Contains(user.Text(1045), L"Downloading ("); }));
  EXPECT_FALSE(user.Enabled(IDCANCEL));
  SaveScreenshot(L"reduced-progress");
}

}  // namespace
}  // namespace updater::test
