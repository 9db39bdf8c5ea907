#include "install/PowerShellRunner.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "install/InstallTestSupport.h"

namespace updater {
namespace {

using test::Narrow;

std::string Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST(PowerShellRunnerTest, KeepsUtf16ErrorTextAndIgnoresOtherEncodings) {
  struct Case {
    const char* what;
    std::string bytes;
    std::wstring text;
  };
  const Case cases[] = {
      {"with byte-order mark", "\xFF\xFE" + Bytes(L"Add-AppxPackage : failed\r\n"),
       L"Add-AppxPackage : failed\r\n"},
      {"without byte-order mark", Bytes(L"Deployment failed with HRESULT"),
       L"Deployment failed with HRESULT"},
      {"byte-order mark alone", "\xFF\xFE", L""},
      {"ANSI text", "Deployment failed with HRESULT: 0x80073CF3\r\n", L""},
      {"odd length", "abc", L""},
      {"empty", "", L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, ScriptErrorText(c.bytes)) << c.what;
  }
}

TEST(PowerShellRunnerTest, CommandLineCallsTheScriptAndRedirectsItsErrorStream) {
  EXPECT_EQ(L"powershell.exe -NonInteractive -NoLogo -ExecutionPolicy Unrestricted -WindowStyle "
            L"Hidden -Command \"$host.UI.RawUI.BufferSize = new-object "
            L"System.Management.Automation.Host.Size(1024,50);\" "
            L"\"&\"\"C:\\Temp\\s.ps1\"\"\" 2> \"C:\\Temp\\o.txt\"",
            PowerShellCommandLine(L"C:\\Temp\\s.ps1", L"C:\\Temp\\o.txt"));
}

TEST(PowerShellRunnerTest, WithoutPowerShellEveryRunFailsWithoutStartingAnything) {
  test::NoPowerShell none;
  PowerShellRunner runner;
  EXPECT_TRUE(runner.ExecutablePath().empty());
  EXPECT_FALSE(runner.RunScript(L"exit 0\n"));
  EXPECT_EQ(L"Unable to find file ", runner.Output());
}

// The stand-in plays PowerShell: see tests/fixtures/PowerShellStandIn.cpp.
class PowerShellRunnerRunTest : public ::testing::Test {
 protected:
  test::PowerShellStandIn powerShell_;
};

TEST_F(PowerShellRunnerRunTest, RunsTheScriptHiddenFromAUtf16FileAndRemovesItsFiles) {
  ASSERT_TRUE(powerShell_.Installed());
  PowerShellRunner runner;
  EXPECT_EQ(SystemPowerShellPath(), runner.ExecutablePath());
  const std::wstring script = L"Write-Output \"\u00e9t\u00e9\"\n exit $error.count\n";

  EXPECT_TRUE(runner.RunScript(script)) << Narrow(runner.Output());
  EXPECT_EQ(L"", runner.Output());

  test::PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell_.Record(&run)) << "the stand-in did not run";
  EXPECT_EQ(script, run.script);
  EXPECT_TRUE(run.scriptHasByteOrderMark);
  EXPECT_EQ(SW_HIDE, run.show);
  const std::size_t scriptAt = run.commandLine.find(L"\"&\"\"");
  const std::size_t outputAt = run.commandLine.find(L"2> \"");
  ASSERT_NE(std::wstring::npos, scriptAt) << Narrow(run.commandLine);
  ASSERT_NE(std::wstring::npos, outputAt) << Narrow(run.commandLine);
  const std::size_t scriptEnd = run.commandLine.find(L"\"\"\"", scriptAt);
  const std::wstring scriptPath = run.commandLine.substr(scriptAt + 4, scriptEnd - scriptAt - 4);
  const std::wstring outputPath =
      run.commandLine.substr(outputAt + 4, run.commandLine.size() - outputAt - 5);
  EXPECT_EQ(PowerShellCommandLine(scriptPath, outputPath), run.commandLine);
  EXPECT_EQ(L".ps1", scriptPath.substr(scriptPath.size() - 4));
  EXPECT_EQ(L".txt", outputPath.substr(outputPath.size() - 4));
  EXPECT_FALSE(test::FileExists(scriptPath)) << "script left behind";
  EXPECT_FALSE(test::FileExists(outputPath)) << "output file left behind";
}

TEST_F(PowerShellRunnerRunTest, ErrorTextWithoutAUtf16EncodingIsNotOutput) {
  ASSERT_TRUE(powerShell_.Installed());
  struct Case {
    const wchar_t* encoding;
    int exitCode;
    bool succeeds;
    bool keepsText;
  };
  const Case cases[] = {
      {L"utf16", 1, false, true},
      {L"utf16-nobom", 1, false, true},
      {L"utf16", 0, true, true},
      {L"ansi", 0, true, false},
  };
  for (const Case& c : cases) {
    powerShell_.WriteError(L"Something was written to the error stream.\r\n", c.encoding);
    powerShell_.ExitWith(c.exitCode);
    PowerShellRunner runner;
    EXPECT_EQ(c.succeeds, runner.RunScript(L"exit 0\n")) << Narrow(c.encoding);
    EXPECT_EQ(c.keepsText ? L"Something was written to the error stream.\r\n" : L"",
              runner.Output())
        << Narrow(c.encoding);
  }
}

TEST_F(PowerShellRunnerRunTest, NonZeroExitWithoutErrorOutputNamesTheOutputFile) {
  ASSERT_TRUE(powerShell_.Installed());
  powerShell_.ExitWith(3);
  PowerShellRunner runner;
  EXPECT_FALSE(runner.RunScript(L"exit 3\n"));
  const std::wstring prefix = L"Unable to retrieve PowerShell output from file: ";
  ASSERT_EQ(prefix, runner.Output().substr(0, prefix.size())) << Narrow(runner.Output());
  test::PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell_.Record(&run));
  EXPECT_NE(std::wstring::npos,
            run.commandLine.find(L"2> \"" + runner.Output().substr(prefix.size()) + L"\""))
      << "the message names another file than the one redirected to";
}

}  // namespace
}  // namespace updater
