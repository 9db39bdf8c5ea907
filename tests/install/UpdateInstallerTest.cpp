#include "install/UpdateInstaller.h"

#include <gtest/gtest.h>

#include <sstream>

#include "TestSupport.h"
#include "config/SettingsStore.h"
#include "install/InstallTestSupport.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

using test::Narrow;

// Writes down what the installation reports, and which install records the settings held when
// each update's installation began.
class RecordingCallback : public UpdateEvents {
 public:
  explicit RecordingCallback(std::wstring locksKey) : locksKey_(std::move(locksKey)) {}

  void ActionBegun(UpdateAction id, std::uint32_t, const std::wstring& text) override {
    events_ << "begin " << static_cast<int>(id) << " " << Narrow(text) << "\n";
    if (id == UpdateAction::InstallOne) events_ << "records " << RecordCount() << "\n";
  }
  void ActionEnded(UpdateAction id, ResultCode state) override {
    events_ << "end " << static_cast<int>(id) << " " << std::hex << state << std::dec << "\n";
  }
  void Failed(ResultCode code, const std::wstring& text) override {
    events_ << "failed " << Narrow(text) << " " << std::hex << code << std::dec << "\n";
  }
  std::string Events() const { return events_.str(); }

 private:
  DWORD RecordCount() const {
    RegistryKey key;
    DWORD values = 0;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, locksKey_.c_str(), 0, KEY_READ, key.Put()) ==
        ERROR_SUCCESS) {
      RegQueryInfoKeyW(key.Get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values,
                       nullptr, nullptr, nullptr, nullptr);
    }
    return values;
  }

  std::wstring locksKey_;
  std::ostringstream events_;
};

bool KeyExists(const std::wstring& subKey) {
  RegistryKey key;
  return RegOpenKeyExW(HKEY_CURRENT_USER, subKey.c_str(), 0, KEY_READ, key.Put()) ==
         ERROR_SUCCESS;
}

TEST(UpdateInstallerTest, InstallsOlderUpdatesFirstSoThatDependenciesAreThere) {
  test::InstallSetup setup;
  UpdateInfo& newer = setup.AddInstaller(L"Newer");
  UpdateInfo& older = setup.AddInstaller(L"Older");
  newer.dependsOn = &older;

  EXPECT_EQ(kSuccess, setup.Install());
  EXPECT_EQ(kSuccess, newer.state) << "the update at position 0 was installed first";
  EXPECT_EQ(kSuccess, older.state);
  EXPECT_TRUE(test::FileExists(setup.MarkerOf(newer)));
}

TEST(UpdateInstallerTest, AMissingDependencyFailsOnlyItsUpdate) {
  test::InstallSetup setup;
  UpdateInfo& dependent = setup.AddInstaller(L"Dependent");
  UpdateInfo& other = setup.AddInstaller(L"Other");
  UpdateInfo& base = setup.AddInstaller(L"Base");
  base.selectedForInstall = false;
  dependent.dependsOn = &base;

  EXPECT_EQ(kDependencyNotInstalled,
            setup.Install());
  EXPECT_EQ(kDependencyNotInstalled, dependent.state);
  EXPECT_FALSE(test::ReadInstallerRecord(setup.MarkerOf(dependent)).ran);
  EXPECT_EQ(kSuccess, other.state);
  EXPECT_FALSE(test::ReadInstallerRecord(setup.MarkerOf(base)).ran) << "an unselected update ran";
}

TEST(UpdateInstallerTest, ExitCodeAndRedetectionDecideEachUpdatesState) {
  struct Case {
    const wchar_t* section;
    int exitCode;
    bool writesDetectedFile;
    std::uint32_t flags;
    ResultCode state;
  };
  const Case cases[] = {
      {L"Cancelled", 1602, true, 0, 1602},
      {L"CancelledShell", 1223, true, 0, 1223},
      {L"OddExitDetected", 3, true, 0, kSuccess},
      {L"NotDetected", 0, false, 0, kInstallationFailed},
      {L"NotRedetected", 0, false, kUpdateNoRedetect, kSuccess},
  };
  test::InstallSetup setup;
  for (const Case& c : cases) {
    UpdateInfo& update = setup.AddInstaller(c.section, c.exitCode);
    update.flags = c.flags;
    if (!c.writesDetectedFile) {
      update.commandLine = L"\"" + setup.File(std::wstring(c.section) + L".elsewhere") + L"\" " +
                           std::to_wstring(c.exitCode);
    }
  }
  // The batch result is the last failure in installation order, which runs from the list's end.
  EXPECT_EQ(1602u, setup.Install());
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    EXPECT_EQ(cases[i].state, setup.List().updates[i].state) << Narrow(cases[i].section);
  }
}

TEST(UpdateInstallerTest, NoCacheRemovesTheInstallerUnlessRedetectionFailed) {
  test::InstallSetup setup;
  UpdateInfo& installed = setup.AddInstaller(L"Installed");
  UpdateInfo& unstartable = setup.Add(L"Unstartable", L"MsiFixture.msi", L"Unstartable.exe");
  UpdateInfo& undetected = setup.AddInstaller(L"Undetected");
  undetected.commandLine = L"\"" + setup.File(L"elsewhere") + L"\" 0";
  const SettingsStore& settings = setup.Config().Settings();
  for (UpdateInfo* update : {&installed, &unstartable, &undetected}) {
    update->flags = kUpdateNoCache;
    settings.WriteString(SettingsKey::Updates, update->sectionName, update->localFilePath);
  }

  setup.Install();
  EXPECT_EQ(kSuccess, installed.state);
  EXPECT_NE(kSuccess, unstartable.state);
  EXPECT_EQ(kInstallationFailed, undetected.state);
  std::wstring recorded;
  for (const UpdateInfo* update : {&installed, &unstartable}) {
    const std::wstring folder = update->localFilePath.substr(0, update->localFilePath.rfind(L'\\'));
    EXPECT_FALSE(test::FileExists(folder)) << Narrow(update->sectionName) << " left its installer";
    EXPECT_FALSE(settings.ReadString(SettingsKey::Updates, update->sectionName, &recorded))
        << Narrow(update->sectionName) << " kept its download record";
  }
  EXPECT_TRUE(test::FileExists(undetected.localFilePath));
  EXPECT_TRUE(settings.ReadString(SettingsKey::Updates, undetected.sectionName, &recorded));
}

TEST(UpdateInstallerTest, ReportsEachInstallationWithTheBatchRecordedWhileItRuns) {
  test::InstallSetup setup(L"NoUpdaterInstallGUI");
  setup.AddInstaller(L"Failing", 1602);
  setup.AddInstaller(L"Working");
  setup.AddInstaller(L"Unselected").selectedForInstall = false;
  const std::wstring locks = setup.SettingsKey(L"Updates\\Locks");
  RecordingCallback callback(locks);

  EXPECT_EQ(1602u, setup.Install(&callback));
  EXPECT_EQ(
      "begin 3 \n"
      "begin 2 Working update\nrecords 2\nend 2 0\n"
      "begin 2 Failing update\nrecords 2\nfailed Failing update 642\nend 2 642\n"
      "end 3 642\n",
      callback.Events());
  EXPECT_FALSE(KeyExists(locks)) << "the install records outlived the batch";

  test::InstallSetup withoutFlag;
  withoutFlag.AddInstaller(L"Working");
  RecordingCallback quieter(withoutFlag.SettingsKey(L"Updates\\Locks"));
  EXPECT_EQ(kSuccess, withoutFlag.Install(&quieter));
  EXPECT_EQ("begin 2 Working update\nrecords 1\nend 2 0\n", quieter.Events());
}

TEST(UpdateInstallerTest, ClosesApplicationsBeforeAndRestartsThemAfterASuccessfulBatch) {
  struct Case {
    std::uint32_t flags;
    bool running;
    int exitCode;
    bool restarted;
  };
  const Case cases[] = {
      {0, true, 0, true},
      {0, false, 0, false},
      {kAutoCloseAlwaysRestart, false, 0, true},
      {0, true, 1602, false},
  };
  for (const Case& c : cases) {
    const std::string what = "flags " + std::to_string(c.flags) + ", running " +
                             std::to_string(c.running) + ", exit " + std::to_string(c.exitCode);
    test::FixtureApplication app(L"Editor.exe");
    if (c.running) {
      ASSERT_TRUE(app.Start(L"Editor - notes")) << what;
    }
    app.Adopt(L"Editor restarted");
    test::InstallSetup setup;
    UpdateInfo& update = setup.AddInstaller(L"Closing", c.exitCode);
    AutoCloseEntry entry;
    entry.application = app.Path();
    entry.arguments = L"Editor restarted";
    entry.windowTitle = L"Editor";
    entry.flags = c.flags;
    update.autoCloseApplications.push_back(entry);

    setup.Install();
    EXPECT_TRUE(test::WaitForWindow(L"Editor - notes", false, 0)) << what;
    const DWORD waitMs = c.restarted ? 10000 : 1500;
    EXPECT_EQ(c.restarted, test::WaitForWindow(L"Editor restarted", true, waitMs)) << what;
  }
}

// Windows opens a package with "msiexec.exe /i "%1" %*", which passes the parameters on; Wine's
// prefix registers the command without "%*" and drops them. The test puts Windows' form in place.
class WindowsPackageCommand {
 public:
  WindowsPackageCommand() {
    had_ = test::GetRegistryString(HKEY_LOCAL_MACHINE, kKey, L"", &old_);
    test::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, L"",
                            L"C:\\windows\\system32\\msiexec.exe /i \"%1\" %*");
  }
  ~WindowsPackageCommand() {
    if (had_) test::SetRegistryString(HKEY_LOCAL_MACHINE, kKey, L"", old_);
  }

 private:
  static constexpr const wchar_t* kKey = L"Software\\Classes\\Msi.Package\\shell\\Open\\command";
  bool had_ = false;
  std::wstring old_;
};

// Removes the product of tests/fixtures/MsiFixture.wxs from the prefix at the end.
class FixturePackageRemoval {
 public:
  ~FixturePackageRemoval() {
    std::wstring commandLine = L"msiexec.exe /x {6B0E3C57-2F7A-4E61-9C43-8D1B6A0F2E11} /qn";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started = {};
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &started)) {
      return;
    }
    const KernelHandle process(started.hProcess);
    const KernelHandle thread(started.hThread);
    WaitForSingleObject(process.Get(), 60000);
  }
};

TEST(UpdateInstallerTest, InstallsAWindowsInstallerPackageThatDetectionThenFinds) {
  const WindowsPackageCommand packageCommand;
  const FixturePackageRemoval removal;
  test::InstallSetup setup;
  UpdateInfo& package = setup.Add(L"Package", L"MsiFixture.msi", L"Package.msi");
  const std::wstring log = setup.File(L"msi.log");
  package.commandLine = L"/qn /l*v \"" + log + L"\"";
  package.detectionKind = DetectionKind::Registry;
  package.detectionTarget = L"HKLM\\Software\\UpdaterFixturePackage\\Version";
  package.detectionBits = kDetectionVersionGiven;
  package.versionOperator = VersionOperator::AtLeast;
  ASSERT_TRUE(package.version.Parse(L"1.2"));

  EXPECT_EQ(kSuccess, setup.Install());
  EXPECT_EQ(kSuccess, package.state);
  EXPECT_TRUE(test::FileExists(log)) << "msiexec did not get the command line";
}

TEST(UpdateInstallerTest, SignatureCheckOfAnUnsignedUpdaterAndAdvertisingLetTheInstallerRunHere) {
  test::InstallSetup setup(L"VerifyDigitalSignature");
  UpdateInfo& update = setup.AddInstaller(L"Advertised");
  update.flags = kUpdateAdvertises;
  EXPECT_EQ(kSuccess, setup.Install());
  EXPECT_TRUE(test::ReadInstallerRecord(setup.MarkerOf(update)).ran);
}

}  // namespace
}  // namespace updater
