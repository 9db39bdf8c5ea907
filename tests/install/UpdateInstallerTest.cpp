#include "install/UpdateInstaller.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "catalogue/DownloadLocation.h"
#include "catalogue/DownloadedFile.h"
#include "config/ClientFlags.h"
#include "engine/InstallerRunner.h"
#include "install/InstallTestSupport.h"
#include "transfer/HexText.h"
#include "transfer/Sha256File.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

using test::Narrow;

// A client configuration with an ID of its own (its settings removed at the end) and selected
// updates whose installers are InstallerFixture.exe.
struct InstallSetup {
  explicit InstallSetup(const std::wstring& flags = L"") : client(L"InstallTest", flags) {}

  // An update detected by the file SECTION.installed, which its installer writes (unless it
  // `installs` nothing: then SECTION.ran) before it exits with `exitCode`.
  UpdateInfo& AddInstaller(const std::wstring& section, int exitCode = 0, bool installs = true) {
    UpdateInfo& update = list.updates.emplace_back();
    update.sectionName = section;
    update.name = section;
    CreateDirectoryW(folder.File(section).c_str(), nullptr);
    update.localFilePath = folder.File(section + L"\\" + section + L".exe");
    EXPECT_TRUE(CopyFileW(test::FixturePath(L"InstallerFixture.exe").c_str(),
                          update.localFilePath.c_str(), FALSE));
    update.size = static_cast<std::int32_t>(test::ReadFileBytes(update.localFilePath).size());
    update.selectedForInstall = true;
    update.detectionKind = DetectionKind::File;
    update.detectionTarget = Marker(section);
    update.commandLine = L"\"" + Marker(section, installs) + L"\" " + std::to_wstring(exitCode);
    return update;
  }
  // Installs the selected updates from this process, as a session of this configuration would.
  ResultCode Install(UpdateEvents& events, InstallerRunner* runner = nullptr) {
    DirectInstallerRunner direct(false);
    const ClientConfig& config = client.Config();
    InstallerRunner& run = runner ? *runner : direct;
    const InstallContext context{config.Settings(),
                                 [&run](const UpdateInfo& update) { return run.Run(update); },
                                 false, config.HasFlag(kFlagNoUpdaterInstallGui)};
    return InstallSelectedUpdates(list, context, events);
  }
  std::wstring Marker(const std::wstring& section, bool installs = true) const {
    return folder.File(section + (installs ? L".installed" : L".ran"));
  }

  test::ScopedClientConfig client;
  test::TempFolder folder;
  UpdateList list;
};

// Writes down the actions reported and whether the update whose installation begins (its name is
// its section's) is recorded in the settings.
struct RecordingCallback : UpdateEvents {
  explicit RecordingCallback(const ClientConfig& config) : settings(config.Settings()) {}
  void ActionBegun(UpdateAction id, std::uint32_t, const std::wstring& text) override {
    events << "begin " << static_cast<int>(id) << " " << Narrow(text) << "\n";
    if (id == UpdateAction::InstallOne) events << (Recorded(text) ? "recorded\n" : "not recorded\n");
  }
  void ActionEnded(UpdateAction id, ResultCode state) override {
    events << "end " << static_cast<int>(id) << " " << state << "\n";
  }
  void Failed(ResultCode code, const std::wstring& text) override {
    events << "failed " << Narrow(text) << " " << code << "\n";
  }
  bool Recorded(const std::wstring& section) const {
    std::wstring path;
    return settings.ReadString(SettingsKey::UpdateLocks, section, &path);
  }

  const SettingsStore& settings;
  std::ostringstream events;
};

// Each installation is reported while the whole batch is recorded in the settings; the batch
// itself is reported only when the client asks for no installation window of the updater's own.
TEST(UpdateInstallerTest, ExitCodeRedetectionAndDependenciesDecideEachReportedState) {
  struct Case { const wchar_t* section; int exitCode; bool installs; std::uint32_t flags;
                ResultCode state; bool keepsInstaller; };
  const Case cases[] = {
      {L"Cancelled", 1602, true, 0, 1602, true},
      {L"CancelledShell", 1223, true, kUpdateNoCache, 1223, false},
      {L"OddExitDetected", 3, true, kUpdateNoCache, kSuccess, false},
      {L"NotDetected", 0, false, kUpdateNoCache, kInstallationFailed, true},
      {L"NotRedetected", 0, false, kUpdateNoRedetect, kSuccess, true},
      {L"Dependent", 0, true, 0, kDependencyNotInstalled, true},
  };
  InstallSetup setup(L"NoUpdaterInstallGUI");
  for (const Case& c : cases) setup.AddInstaller(c.section, c.exitCode, c.installs).flags = c.flags;
  UpdateInfo& unselected = setup.AddInstaller(L"Unselected");
  unselected.selectedForInstall = false;
  setup.list.updates[5].dependsOn = &unselected;
  RecordingCallback callback(setup.client.Config());
  // The batch result is the last failure in installation order, which runs from the list's end.
  EXPECT_EQ(1602u, setup.Install(callback));
  const std::string events = callback.events.str();
  EXPECT_EQ(0u, events.find("begin 3 \nbegin 2 Dependent\n")) << events;
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    EXPECT_EQ(c.state, setup.list.updates[i].state) << Narrow(c.section);
    EXPECT_EQ(c.keepsInstaller, test::FileExists(setup.list.updates[i].localFilePath))
        << Narrow(c.section);
    const std::string error = c.state == kSuccess ? ""
                              : "failed " + Narrow(c.section) + " " + std::to_string(c.state) + "\n";
    EXPECT_NE(std::string::npos, events.find("begin 2 " + Narrow(c.section) + "\nrecorded\n" +
                                             error + "end 2 " + std::to_string(c.state) + "\n"))
        << events;
    EXPECT_FALSE(callback.Recorded(c.section)) << "the record outlived the batch";
  }
  EXPECT_FALSE(test::FileExists(setup.Marker(L"Dependent")));
  EXPECT_FALSE(test::FileExists(setup.Marker(L"Unselected"))) << "an unselected update ran";

  InstallSetup plain;
  plain.AddInstaller(L"Working");
  RecordingCallback quiet(plain.client.Config());
  EXPECT_EQ(kSuccess, plain.Install(quiet));
  EXPECT_EQ("begin 2 Working\nrecorded\nend 2 0\n", quiet.events.str());
}

// Tries what others could do to the installer as it starts, then starts it.
struct TamperingRunner : InstallerRunner {
  ResultCode Run(const UpdateInfo& update) override {
    const std::wstring& path = update.localFilePath;
    ran.push_back(update.sectionName);
    CopyFileW(path.c_str(), (path + L".copy").c_str(), FALSE);
    const DWORD anyone = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    const FileHandle writer(
        CreateFileW(path.c_str(), GENERIC_WRITE, anyone, nullptr, OPEN_EXISTING, 0, nullptr));
    changed = writer || DeleteFileW(path.c_str()) ||
              MoveFileExW((path + L".copy").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    return DirectInstallerRunner(false).Run(update);
  }
  std::vector<std::wstring> ran;
  bool changed = false;
};

// What starts is what its download's check saw: an installer swapped since (same size, other
// bytes) or reached through a linked folder does not start, and the one that starts cannot be
// changed until it has run.
TEST(UpdateInstallerTest, InstallerIsCheckedAgainAndHeldUntilItHasRun) {
  InstallSetup setup;
  for (const wchar_t* section : {L"Kept", L"Swapped", L"Linked"}) {
    UpdateInfo& update = setup.AddInstaller(section);
    const FileHandle file(CreateFileW(update.localFilePath.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    std::vector<unsigned char> digest;
    ASSERT_EQ(kSuccess, ComputeSHA256(file.Get(), &digest));
    update.sha256 = ToHexText(digest);
    RecordDownloadedFile(setup.client.Config().Settings(), update);
  }
  const std::wstring swapped = setup.list.updates[1].localFilePath;
  std::string bytes = test::ReadFileBytes(swapped);
  bytes.back() ^= 1;
  std::ofstream(swapped.c_str(), std::ios::binary) << bytes;
  ASSERT_TRUE(MoveFileW(setup.folder.File(L"Linked").c_str(), setup.folder.File(L"Real").c_str()));
  ASSERT_TRUE(test::CreateFolderLink(setup.folder.File(L"Linked"), L"Real"));
  TamperingRunner runner;
  RecordingCallback callback(setup.client.Config());
  const std::size_t logged = test::LogText().size();
  setup.Install(callback, &runner);
  EXPECT_EQ(std::vector<std::wstring>{L"Kept"}, runner.ran);
  EXPECT_FALSE(runner.changed) << "the installer was changed as it started";
  const ResultCode states[] = {kSuccess, kSha256Mismatch, kDownloadFolderIsLink};
  for (std::size_t i = 0; i < std::size(states); ++i) {
    const UpdateInfo& update = setup.list.updates[i];
    EXPECT_EQ(states[i], update.state) << Narrow(update.sectionName);
    EXPECT_EQ(i == 0, test::FileExists(setup.Marker(update.sectionName))) << i;
    const std::wstring line = L"Update \"" + update.sectionName + L"\" installer refused";
    EXPECT_EQ(i != 0, test::LogText().find(line, logged) != line.npos) << i;
    // A swapped installer goes, to be downloaded again; nothing goes where a link leads.
    EXPECT_EQ(i != 1, test::FileExists(update.localFilePath)) << i;
  }
}

}  // namespace
}  // namespace updater
