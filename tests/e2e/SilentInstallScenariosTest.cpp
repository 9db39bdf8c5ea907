#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <optional>
#include <vector>

#include "TestSupport.h"
#include "e2e/CheckSetup.h"

namespace updater::test {
namespace {

constexpr DWORD kUpToDate = 0xE0000011;

// One published update whose installer is InstallerFixture.exe: it writes a marker file and exits
// with `exitCode`. Detection looks for SECTION.installed, which the installer writes only when
// `installs`; otherwise it writes SECTION.ran and the update stays needed.
struct Installer {
  std::wstring section;
  std::wstring keys;  // further keys of the section
  DWORD exitCode = 0;
  bool installs = true;
  long sizeError = 0;  // added to the true size in the published Size
};

std::wstring MarkerOf(const CheckSetup& setup, const Installer& installer) {
  return setup.File(installer.section + (installer.installs ? L".installed" : L".ran"));
}

std::wstring RanLine(const Installer& installer) {
  return L"Update \"" + installer.section + L" update\" installer runned. Exit code: " +
         std::to_wstring(installer.exitCode) + L".";
}

void PublishInstallers(const CheckSetup& setup, const std::vector<Installer>& installers) {
  std::wstring sections;
  for (const Installer& installer : installers) {
    const std::wstring file = installer.section + L".exe";
    const long size = static_cast<long>(setup.ServeFixture(file, L"InstallerFixture.exe"));
    sections += L"[" + installer.section + L"]\r\nName=" + installer.section +
                L" update\r\nSize=" + std::to_wstring(size + installer.sizeError) +
                L"\r\nURL=" + setup.ServedUrl(file) + L"\r\nFilePath=" +
                setup.File(installer.section + L".installed") + L"\r\nCommandLine=\"" +
                MarkerOf(setup, installer) + L"\" " + std::to_wstring(installer.exitCode) +
                L"\r\n" + installer.keys;
    if (installer.keys.find(L"Flags=") == std::wstring::npos) {
      sections += L"Flags=SilentInstall\r\n";
    }
  }
  setup.Publish(sections);
}

// Runs the silent install of every update as a user's scheduled task does; the installed updater
// hands the work to a temporary copy, whose result is read from the log. None when it did not end.
std::optional<DWORD> InstallAll(const CheckSetup& setup) {
  const RunOutcome started = setup.Updater().Run(L"/silentall -nogui -nofreqcheck");
  EXPECT_EQ(0u, started.exitCode) << "the copy was not started\n" << Narrow(setup.Log());
  if (started.exitCode != 0) return std::nullopt;
  const std::wstring finished = L"Updater finished. Mode: 8. Return code: ";
  for (int i = 0; i < 2000; ++i) {
    const std::wstring log = setup.Log();
    const std::size_t at = log.rfind(finished);
    const std::size_t end = at == std::wstring::npos ? at : log.find(L'\n', at);
    if (end != std::wstring::npos) {
      return static_cast<DWORD>(std::wcstoul(log.c_str() + at + finished.size(), nullptr, 10));
    }
    Sleep(40);
  }
  ADD_FAILURE() << "the copy did not finish\n" << Narrow(setup.Log());
  return std::nullopt;
}

// A follow-up /justcheck: its exit code and the sections it still counts as needed.
struct Detection {
  DWORD exitCode = 0;
  std::string neededSections;
};

Detection DetectAfterwards(const CheckSetup& setup) {
  const std::wstring dump = setup.File(L"needed.ini");
  DeleteFileW(dump.c_str());
  Detection detection;
  detection.exitCode = setup.Updater().Run(L"/justcheck -dumpdetected \"" + dump + L"\"").exitCode;
  if (FileExists(dump)) detection.neededSections = ReadFileBytes(dump);
  return detection;
}

std::size_t GetsOf(const CheckSetup& setup, const std::wstring& file) {
  std::size_t gets = 0;
  for (const std::string& line : setup.ServerRequests()) {
    gets += line.find("\"GET /") != std::string::npos &&
            line.find("/" + Narrow(file) + " ") != std::string::npos;
  }
  return gets;
}

struct Scenario {
  const char* name;
  std::vector<Installer> installers;  // newest first, as published
  DWORD result;
  std::vector<std::wstring> ranInOrder;
  std::vector<std::wstring> neededAfter;
  std::vector<std::wstring> notDownloaded;
  std::vector<std::wstring> logLines;
};

TEST(SilentInstallScenariosTest, InstallsSelectedUpdatesAndReportsEachOutcome) {
  const std::wstring zeros(64, L'0');
  const Scenario scenarios[] = {
      {"the dependency installs first",
       {{L"Newer", L"Depends=Older\r\n"}, {L"Older", L""}},
       0,
       {L"Older", L"Newer"},
       {},
       {},
       {}},
      {"only the replacing update installs",
       {{L"Replacing", L"Replaces=Replaced\r\n"}, {L"Replaced", L""}},
       0,
       {L"Replacing"},
       {},
       {L"Replaced"},
       {}},
      {"only the update replacing all later ones installs",
       {{L"Latest", L"Replaces=All\r\n"}, {L"Middle", L""}, {L"Oldest", L""}},
       0,
       {L"Latest"},
       {},
       {L"Middle", L"Oldest"},
       {}},
      {"a wrong SHA256 removes that file and the others install",
       {{L"Corrupt", L"SHA256=" + zeros + L"\r\n"}, {L"Intact", L""}},
       0xE0000030,
       {L"Intact"},
       {L"Corrupt"},
       {},
       {L"Error: Corrupt file (wrong SHA256 signature). File removed. LastError: 0xE0000030"}},
      {"a wrong size without digests removes the file",
       {{L"Oversized", L"", 0, true, -1}},
       0xE0000023,
       {},
       {L"Oversized"},
       {},
       {L"The downloaded update size does not match the size specified in updates configuration "
        L"file. LastError: 0xE0000023"}},
      {"a cancelled installer fails, an odd exit code of an installed update does not",
       {{L"Cancelled", L"", 1602, false}, {L"OddExit", L"", 3}},
       1602,
       {L"OddExit", L"Cancelled"},
       {L"Cancelled"},
       {},
       {}},
  };
  for (const Scenario& scenario : scenarios) {
    SCOPED_TRACE(scenario.name);
    CheckSetup setup;
    ASSERT_TRUE(setup.ServersAvailable());
    PublishInstallers(setup, scenario.installers);

    EXPECT_EQ(std::optional<DWORD>(scenario.result), InstallAll(setup)) << Narrow(setup.Log());
    const std::wstring log = setup.Log();
    std::size_t previous = 0;
    for (const std::wstring& section : scenario.ranInOrder) {
      for (const Installer& installer : scenario.installers) {
        if (installer.section != section) continue;
        const std::size_t at = log.find(RanLine(installer));
        EXPECT_NE(std::wstring::npos, at) << Narrow(section) << " did not run\n" << Narrow(log);
        EXPECT_LE(previous, at) << Narrow(section) << " ran too early\n" << Narrow(log);
        previous = at == std::wstring::npos ? previous : at;
      }
    }
    for (const Installer& installer : scenario.installers) {
      const std::wstring& section = installer.section;
      const bool ran = std::find(scenario.ranInOrder.begin(), scenario.ranInOrder.end(),
                                 section) != scenario.ranInOrder.end();
      EXPECT_EQ(ran, FileExists(MarkerOf(setup, installer))) << Narrow(section);
      EXPECT_EQ(ran, FileExists(setup.InstallerPath(section))) << Narrow(section);
      const bool fetched = std::find(scenario.notDownloaded.begin(), scenario.notDownloaded.end(),
                                     section) == scenario.notDownloaded.end();
      EXPECT_EQ(fetched ? 1u : 0u, GetsOf(setup, section + L".exe")) << Narrow(section);
    }
    for (const std::wstring& line : scenario.logLines) {
      EXPECT_NE(std::wstring::npos, log.find(line)) << Narrow(line) << "\n" << Narrow(log);
    }

    const Detection detection = DetectAfterwards(setup);
    EXPECT_EQ(scenario.neededAfter.empty() ? kUpToDate : 0u, detection.exitCode);
    for (const Installer& installer : scenario.installers) {
      const bool needed = std::find(scenario.neededAfter.begin(), scenario.neededAfter.end(),
                                    installer.section) != scenario.neededAfter.end();
      EXPECT_EQ(needed, detection.neededSections.find("[" + Narrow(installer.section) + "]") !=
                            std::string::npos)
          << Narrow(installer.section) << "\n" << detection.neededSections;
    }
  }
}

TEST(SilentInstallScenariosTest, KeepsTheInstallerUnlessNoCacheAndDoesNotFetchItAgain) {
  CheckSetup setup;
  ASSERT_TRUE(setup.ServersAvailable());
  PublishInstallers(setup, {{L"Dropped", L"Flags=SilentInstall|NoCache\r\n"}, {L"Kept", L""}});

  EXPECT_EQ(std::optional<DWORD>(0), InstallAll(setup)) << Narrow(setup.Log());
  EXPECT_FALSE(FileExists(setup.InstallerPath(L"Dropped")));
  EXPECT_FALSE(FileExists(setup.DownloadsFolder() + L"\\Dropped")) << "its folder stayed";
  EXPECT_TRUE(FileExists(setup.InstallerPath(L"Kept")));
  EXPECT_EQ(1u, CountOf(setup.Log(), L"Removed cached update installer.")) << Narrow(setup.Log());

  EXPECT_EQ(kUpToDate, setup.Updater().Run(L"/silentall -nogui -nofreqcheck").exitCode)
      << Narrow(setup.Log());
  EXPECT_EQ(kUpToDate, DetectAfterwards(setup).exitCode);
  EXPECT_TRUE(FileExists(setup.InstallerPath(L"Kept")));
  for (const wchar_t* file : {L"Dropped.exe", L"Kept.exe"}) {
    EXPECT_EQ(1u, GetsOf(setup, file)) << Narrow(file);
  }
}

}  // namespace
}  // namespace updater::test
