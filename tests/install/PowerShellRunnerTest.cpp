#include "install/PowerShellRunner.h"

#include <gtest/gtest.h>

#include "install/InstallTestSupport.h"

namespace updater {
namespace {

using test::Narrow;

std::string Bytes(const std::wstring& text) {
  return std::string(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t));
}

TEST(PowerShellRunnerTest, KeepsUtf16ErrorTextAndIgnoresOtherEncodings) {
  const std::pair<std::string, std::wstring> cases[] = {
      {"\xFF\xFE" + Bytes(L"Add-AppxPackage : failed\r\n"), L"Add-AppxPackage : failed\r\n"},
      {Bytes(L"Deployment failed with HRESULT"), L"Deployment failed with HRESULT"},
      {"\xFF\xFE", L""},
      {"Deployment failed with HRESULT: 0x80073CF3\r\n", L""},
      {"abc", L""},
  };
  for (const auto& [bytes, text] : cases) {
    EXPECT_EQ(text, ScriptErrorText(bytes)) << bytes;
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
  const test::PowerShellStandIn none(false);
  PowerShellRunner runner;
  EXPECT_FALSE(runner.RunScript(L"exit 0\n"));
  EXPECT_EQ(L"Unable to find file ", runner.Output());
}

// The stand-in plays PowerShell: see tests/fixtures/PowerShellStandIn.cpp.
TEST(PowerShellRunnerTest, RunsTheScriptHiddenFromAUtf16FileAndRemovesItsFiles) {
  test::PowerShellStandIn powerShell;
  ASSERT_TRUE(powerShell.Installed());
  powerShell.WriteError(L"Something was written to the error stream.\r\n", L"utf16-nobom");
  const std::wstring script = L"Write-Output \"\u00e9t\u00e9\"\n exit $error.count\n";
  PowerShellRunner runner;
  EXPECT_TRUE(runner.RunScript(script)) << "an exit code of 0 is a success whatever the output";
  EXPECT_EQ(L"Something was written to the error stream.\r\n", runner.Output());
  test::PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell.Record(&run)) << "the stand-in did not run";
  EXPECT_EQ(script, run.script);
  EXPECT_TRUE(run.scriptHasByteOrderMark);
  EXPECT_EQ(SW_HIDE, run.show);
  const std::wstring& line = run.commandLine;
  const std::size_t scriptAt = line.find(L"\"&\"\"") + 4;
  const std::size_t outputAt = line.find(L"2> \"") + 4;
  const std::wstring scriptPath = line.substr(scriptAt, line.find(L"\"\"\"", scriptAt) - scriptAt);
  const std::wstring outputPath = line.substr(outputAt, line.size() - outputAt - 1);
  EXPECT_EQ(PowerShellCommandLine(scriptPath, outputPath), line);
  EXPECT_FALSE(test::FileExists(scriptPath)) << "script left behind: " << Narrow(scriptPath);
  EXPECT_FALSE(test::FileExists(outputPath)) << "output left behind: " << Narrow(outputPath);

  powerShell.WriteError(L"", L"utf16");
  powerShell.ExitWith(3);
  EXPECT_FALSE(runner.RunScript(L"exit 3\n"));
  EXPECT_EQ(0u, runner.Output().find(L"Unable to retrieve PowerShell output from file: "))
      << "a failure without error text names the output file";
}

}  // namespace
}  // namespace updater
