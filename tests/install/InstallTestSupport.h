#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"

namespace updater::test {

// Waits until a window of WindowFixture.exe with `title` is there (or, with `present` false, gone).
bool WaitForWindow(const std::wstring& title, bool present, DWORD timeoutMs = 10000);

// Puts tests/fixtures/PowerShellStandIn.exe where the updater looks for Windows PowerShell; the
// prefix's own placeholder is put back at the end. What the stand-in does is set through its
// environment variables; what it was given is read by Record().
class PowerShellStandIn {
 public:
  PowerShellStandIn();
  ~PowerShellStandIn();
  PowerShellStandIn(const PowerShellStandIn&) = delete;
  PowerShellStandIn& operator=(const PowerShellStandIn&) = delete;

  bool Installed() const { return installed_; }
  void ExitWith(int code) { Set(L"UPDATER_PS_EXIT", std::to_wstring(code)); }
  void WriteError(const std::wstring& text) { Set(L"UPDATER_PS_ERROR", text); }

  struct Run {
    std::wstring commandLine;
    int show = -2;
    bool scriptHasByteOrderMark = false;
    std::wstring script;
  };
  // What the last run was given; false when it did not run.
  bool Record(Run* run) const;

 private:
  static void Set(const wchar_t* name, const std::wstring& value) {
    SetEnvironmentVariableW(name, value.c_str());
  }
  std::wstring path_;
  bool keptAside_ = false;
  bool installed_ = false;
  TempFolder folder_;
};

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

}  // namespace updater::test
