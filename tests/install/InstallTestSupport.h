#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "catalogue/UpdateInfo.h"

namespace updater::test {

// A program of tests/fixtures, built beside the test programs.
std::wstring FixturePath(const std::wstring& name);

// Sets an environment variable of this process (which the programs it starts inherit) and
// restores the earlier value at the end.
class ScopedEnvironment {
 public:
  ScopedEnvironment(std::wstring name, const std::wstring& value);
  ~ScopedEnvironment();
  ScopedEnvironment(const ScopedEnvironment&) = delete;
  ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

 private:
  std::wstring name_;
  bool hadValue_ = false;
  std::wstring oldValue_;
};

// Puts tests/fixtures/PowerShellStandIn.exe where the updater looks for Windows PowerShell (the
// prefix's own placeholder is kept aside and put back at the end). What the stand-in does is set
// through its environment variables; what it was given is read back with Record().
class PowerShellStandIn {
 public:
  PowerShellStandIn();
  ~PowerShellStandIn();
  PowerShellStandIn(const PowerShellStandIn&) = delete;
  PowerShellStandIn& operator=(const PowerShellStandIn&) = delete;

  bool Installed() const { return installed_; }
  void ExitWith(int code) { Set(L"UPDATER_PS_EXIT", std::to_wstring(code)); }
  // `encoding`: "utf16", "utf16-nobom" or "ansi".
  void WriteError(const std::wstring& text, const std::wstring& encoding = L"utf16");

  struct Run {
    std::wstring commandLine;
    int show = -2;
    bool scriptHasByteOrderMark = false;
    std::wstring script;
  };
  // What the last run was given; false when it did not run.
  bool Record(Run* run) const;

 private:
  void Set(const std::wstring& name, const std::wstring& value);

  std::wstring path_;
  std::wstring keptAside_;
  bool installed_ = false;
  TempFolder folder_;
  std::vector<std::unique_ptr<ScopedEnvironment>> environment_;
};

// Moves the prefix's PowerShell (placeholder or stand-in) aside while it lives.
class NoPowerShell {
 public:
  NoPowerShell();
  ~NoPowerShell();
  NoPowerShell(const NoPowerShell&) = delete;
  NoPowerShell& operator=(const NoPowerShell&) = delete;

 private:
  std::wstring path_;
  std::wstring keptAside_;
  bool moved_ = false;
};

// What InstallerFixture.exe wrote into its marker file.
struct InstallerRecord {
  bool ran = false;
  std::wstring commandLine;
  int show = -2;
};
InstallerRecord ReadInstallerRecord(const std::wstring& markerPath);

// Waits until a window of WindowFixture.exe with `title` is there (or, with `present` false, gone).
bool WaitForWindow(const std::wstring& title, bool present, DWORD timeoutMs = 10000);

// WindowFixture.exe copied into a folder of its own under `name`; the windows it started are
// closed at the end.
class FixtureApplication {
 public:
  explicit FixtureApplication(const std::wstring& name);
  ~FixtureApplication();
  FixtureApplication(const FixtureApplication&) = delete;
  FixtureApplication& operator=(const FixtureApplication&) = delete;

  const std::wstring& Path() const { return path_; }
  // Starts it with `title` as its window title and waits for the window.
  bool Start(const std::wstring& title);
  // A window that something else started with `title`, to be closed at the end too.
  void Adopt(const std::wstring& title) { titles_.push_back(title); }

 private:
  TempFolder folder_;
  std::wstring path_;
  std::vector<std::wstring> titles_;
};

// A client configuration with an ID of its own (its settings removed at the end), a downloads
// folder, and updates whose installers are copies of fixture programs.
class InstallSetup {
 public:
  explicit InstallSetup(const std::wstring& clientFlags = std::wstring());

  ClientConfig& Config() { return config_; }
  UpdateList& List() { return list_; }
  std::wstring File(const std::wstring& name) const { return folder_.File(name); }
  std::wstring SettingsKey(const std::wstring& kind) const;

  // Appends a selected update whose downloaded installer is a copy of `fixture` named
  // `fileName`, detected by the file `File(section + ".installed")`.
  UpdateInfo& Add(const std::wstring& section, const std::wstring& fixture,
                  const std::wstring& fileName);
  // Appends an update whose installer is InstallerFixture.exe, run with the marker that
  // detection looks for and `exitCode`.
  UpdateInfo& AddInstaller(const std::wstring& section, int exitCode = 0);
  std::wstring MarkerOf(const UpdateInfo& update) const { return update.detectionTarget; }

  // Installs the selected updates as a session of this configuration would, from this process.
  ResultCode Install(UpdateEvents* events = nullptr);

 private:
  TempFolder folder_;
  std::wstring id_;
  ScopedRegistryTree registry_;
  ClientConfig config_;
  UpdateList list_;
};

}  // namespace updater::test
