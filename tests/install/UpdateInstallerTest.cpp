#include "install/UpdateInstaller.h"

#include <gtest/gtest.h>

#include <sstream>

#include "install/InstallTestSupport.h"
#include "transfer/UpdaterCallback.h"

namespace updater {
namespace {

using test::Narrow;

// A client configuration with an ID of its own (its settings removed at the end) and selected
// updates whose installers are InstallerFixture.exe.
struct InstallSetup {
  explicit InstallSetup(const std::wstring& flags = L"")
      : id(test::UniqueName(L"InstallTest")), registry(L"Software\\Merrow\\Ruddle\\" + id),
        config(folder.File(L"Updater.ini")) {
    test::WriteTextFile(config.Path(), L"[General]\r\nID=" + id + L"\r\nFlags=" + flags,
                        test::TextEncoding::Ansi);
    EXPECT_EQ(kSuccess, config.Load());
  }

  // An update detected by the file SECTION.installed, which its installer writes (unless it
  // `installs` nothing: then SECTION.ran) before it exits with `exitCode`.
  UpdateInfo& AddInstaller(const std::wstring& section, int exitCode = 0, bool installs = true) {
    UpdateInfo& update = list.updates.emplace_back();
    update.sectionName = section;
    update.name = section;
    update.client = &config;
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
  std::wstring Marker(const std::wstring& section, bool installs = true) const {
    return folder.File(section + (installs ? L".installed" : L".ran"));
  }

  test::TempFolder folder;
  std::wstring id;
  test::ScopedRegistryTree registry;
  ClientConfig config;
  UpdateList list;
};

// Writes down the actions reported and whether the update whose installation begins (its name is
// its section's) is recorded in the settings.
struct RecordingCallback : UpdaterCallback {
  explicit RecordingCallback(const ClientConfig& config) : settings(config.Settings()) {}
  void RegisterAction(std::int32_t, std::int32_t) override {}
  void BeginAction(std::int32_t id, std::uint32_t, const wchar_t* text) override {
    events << "begin " << id << " " << (text != nullptr ? Narrow(text) : "(null)") << "\n";
    if (id == kActionInstallOne) events << (Recorded(text) ? "recorded\n" : "not recorded\n");
  }
  void EndAction(std::int32_t id, ResultCode state) override {
    events << "end " << id << " " << state << "\n";
  }
  void Progress(std::uint32_t) override {}
  bool IsCanceled() override { return false; }
  bool IsPaused() override { return false; }
  ResultCode Error(const wchar_t* text, ResultCode code, void*) override {
    events << "error " << (text == nullptr ? "(null)" : Narrow(text)) << " " << code << "\n";
    return kSuccess;
  }
  bool Recorded(const std::wstring& section) const {
    std::wstring path;
    return settings.ReadString(SettingsKey::UpdateLocks, section, &path);
  }

  const SettingsStore& settings;
  std::ostringstream events;
};

TEST(UpdateInstallerTest, ExitCodeRedetectionAndDependenciesDecideEachUpdatesState) {
  struct Case {
    const wchar_t* section;
    int exitCode;
    bool installs;
    std::uint32_t flags;
    ResultCode state;
    bool keepsInstaller;
  };
  const Case cases[] = {
      {L"Cancelled", 1602, true, 0, 1602, true},
      {L"CancelledShell", 1223, true, kUpdateNoCache, 1223, false},
      {L"OddExitDetected", 3, true, kUpdateNoCache, kSuccess, false},
      {L"NotDetected", 0, false, kUpdateNoCache, kInstallationFailed, true},
      {L"NotRedetected", 0, false, kUpdateNoRedetect, kSuccess, true},
      {L"Dependent", 0, true, 0, kDependencyNotInstalled, true},
  };
  InstallSetup setup;
  for (const Case& c : cases) {
    setup.AddInstaller(c.section, c.exitCode, c.installs).flags = c.flags;
  }
  UpdateInfo& missing = setup.AddInstaller(L"Unselected");
  missing.selectedForInstall = false;
  setup.list.updates[5].dependsOn = &missing;
  // The batch result is the last failure in installation order, which runs from the list's end.
  EXPECT_EQ(1602u, InstallSelectedUpdates(setup.list, setup.config, nullptr));
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const UpdateInfo& update = setup.list.updates[i];
    EXPECT_EQ(cases[i].state, update.state) << Narrow(cases[i].section);
    EXPECT_EQ(cases[i].keepsInstaller, test::FileExists(update.localFilePath))
        << Narrow(cases[i].section);
  }
  EXPECT_FALSE(test::FileExists(setup.Marker(L"Dependent")));
  EXPECT_FALSE(test::FileExists(setup.Marker(L"Unselected"))) << "an unselected update ran";
}

TEST(UpdateInstallerTest, ReportsEachInstallationWithTheBatchRecordedWhileItRuns) {
  for (const wchar_t* flags : {L"NoUpdaterInstallGUI", L""}) {
    InstallSetup setup(flags);
    setup.AddInstaller(L"Failing", 1602);
    setup.AddInstaller(L"Working");
    setup.AddInstaller(L"Unselected").selectedForInstall = false;
    RecordingCallback callback(setup.config);
    EXPECT_EQ(1602u, InstallSelectedUpdates(setup.list, setup.config, &callback));
    EXPECT_EQ(std::string(*flags != 0 ? "begin 3 (null)\n" : "") +
                  "begin 2 Working\nrecorded\nend 2 0\n"
                  "begin 2 Failing\nrecorded\nerror (null) 1602\nend 2 1602\n",
              callback.events.str());
    EXPECT_FALSE(callback.Recorded(L"Working") || callback.Recorded(L"Failing"))
        << "the install records outlived the batch";
  }
}

}  // namespace
}  // namespace updater
