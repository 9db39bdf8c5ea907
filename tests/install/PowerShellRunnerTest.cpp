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
  for (const auto& [bytes, text] : cases) EXPECT_EQ(text, ScriptErrorText(bytes)) << bytes;
}

// The stand-in plays PowerShell: see tests/fixtures/PowerShellStandIn.cpp.
TEST(PowerShellRunnerTest, RunsTheScriptHiddenFromAUtf16FileAndRemovesItsFiles) {
  test::PowerShellStandIn powerShell;
  ASSERT_TRUE(powerShell.Installed());
  powerShell.ExitWith(3);
  PowerShellRunner runner;
  EXPECT_FALSE(runner.RunScript(L"Write-Output \"\u00e9t\u00e9\"\n exit 3\n"));
  test::PowerShellStandIn::Run run;
  ASSERT_TRUE(powerShell.Record(&run)) << "the stand-in did not run";
  EXPECT_EQ(L"Write-Output \"\u00e9t\u00e9\"\n exit 3\n", run.script);
  EXPECT_TRUE(run.scriptHasByteOrderMark);
  EXPECT_EQ(SW_HIDE, run.show);
  // Without error text the failure names the file that the error stream went to.
  const std::wstring prefix = L"Unable to retrieve PowerShell output from file: ";
  ASSERT_EQ(0u, runner.Output().find(prefix)) << Narrow(runner.Output());
  const std::wstring output = runner.Output().substr(prefix.size());
  const std::size_t scriptAt = run.commandLine.find(L"\"&\"\"") + 4;
  const std::wstring script =
      run.commandLine.substr(scriptAt, run.commandLine.find(L"\"\"\"", scriptAt) - scriptAt);
  EXPECT_NE(std::wstring::npos, run.commandLine.find(L" 2> \"" + output + L"\"")) << Narrow(output);
  EXPECT_FALSE(test::FileExists(script) || test::FileExists(output)) << "files left behind";
}

}  // namespace
}  // namespace updater
