#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/CheckSetup.h"

namespace updater::test {
namespace {

constexpr DWORD kUpToDate = 0xE0000011;

TEST(JustCheckTest, ReportsByExitCodeWhetherAnUpdateIsNeeded) {
  struct Case {
    const char* what;
    bool firstInstalled;
    bool secondInstalled;
    bool secondCritical;
    const wchar_t* arguments;
    DWORD exitCode;
  };
  const Case cases[] = {
      {"everything installed", true, true, true, L"/justcheck", kUpToDate},
      {"one update missing", true, false, false, L"/justcheck", 0},
      {"only a non-critical update missing", true, false, false, L"/justcheck -critical",
       kUpToDate},
      {"a critical update missing", true, false, true, L"/justcheck -critical", 0},
  };
  for (const Case& c : cases) {
    CheckSetup setup;
    ASSERT_TRUE(setup.ServersAvailable());
    // The newer update first, as publishers list them.
    setup.Publish(setup.Update(L"Second", c.secondCritical, c.secondInstalled) +
                  setup.Update(L"First", false, c.firstInstalled));
    const RunOutcome outcome = setup.Updater().Run(c.arguments);
    EXPECT_TRUE(outcome.finished) << c.what;
    EXPECT_EQ(c.exitCode, outcome.exitCode) << c.what << "\n" << Narrow(setup.Log());
    EXPECT_EQ(0, outcome.messageBoxes) << c.what;
  }
}

TEST(JustCheckTest, InstallReadyCountsOnlyUpdatesWhoseInstallerIsOnDisk) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.Publish(setup.Update(L"Pending", false, false));

  EXPECT_EQ(kUpToDate, setup.Updater().Run(L"/justcheck -installready").exitCode)
      << "nothing was downloaded yet";

  const std::wstring installer = setup.InstallerPath(L"Pending");
  CreateDirectoryW(installer.substr(0, installer.rfind(L'\\')).c_str(), nullptr);
  WriteTextFile(installer, std::wstring(1000, L'i'), TextEncoding::Ansi);
  EXPECT_EQ(0u, setup.Updater().Run(L"/justcheck -installready").exitCode)
      << "the installer of the needed update lies complete in the downloads folder";
}

TEST(JustCheckTest, DumpDetectedWritesANewFileAndLeavesAnExistingOneAlone) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.Publish(setup.Update(L"Needed", false, false) + setup.Update(L"Present", false, true));

  const std::wstring fresh = setup.File(L"detected.ini");
  ASSERT_EQ(0u, setup.Updater().Run(L"/justcheck -dumpdetected \"" + fresh + L"\"").exitCode);
  ASSERT_TRUE(FileExists(fresh));
  const std::string written = ReadFileBytes(fresh);
  EXPECT_NE(std::string::npos, written.find("[Needed]")) << written;
  EXPECT_EQ(std::string::npos, written.find("[Present]")) << "an installed update was dumped";

  const std::wstring existing = setup.File(L"existing.ini");
  WriteTextFile(existing, L"keep me", TextEncoding::Ansi);
  EXPECT_EQ(0u, setup.Updater().Run(L"/justcheck -dumpdetected \"" + existing + L"\"").exitCode);
  EXPECT_EQ("keep me", ReadFileBytes(existing));
}

TEST(JustCheckTest, SecondCheckIsAnsweredNotModifiedAndReusesTheLocalCopy) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  setup.Publish(setup.Update(L"Needed", false, false));

  EXPECT_EQ(0u, setup.Updater().Run(L"/justcheck").exitCode);
  EXPECT_EQ(0u, setup.Updater().Run(L"/justcheck").exitCode) << Narrow(setup.Log());

  const std::vector<std::string> requests = setup.ServerRequests();
  ASSERT_EQ(2u, requests.size());
  EXPECT_NE(std::string::npos, requests[0].find("status=200")) << requests[0];
  EXPECT_NE(std::string::npos, requests[1].find("status=304")) << requests[1];
  EXPECT_EQ(std::string::npos, requests[1].find("ims=\"-\"")) << "no If-Modified-Since was sent";
}

TEST(JustCheckTest, FailuresOfTheUpdateConfigurationFileEndTheRunWithTheirCode) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  EXPECT_EQ(0xE0000018u, setup.Updater().Run(L"/justcheck").exitCode) << "nothing is served";

  setup.Serve(L"updates.ini", L"[General]\r\nConfigFileVersion=1.0\r\n");
  EXPECT_EQ(0xE000000Eu, setup.Updater().Run(L"/justcheck").exitCode) << "no \";qzu;\" line";
}

}  // namespace
}  // namespace updater::test
