#include "install/InstallTestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "install/AutoCloseApplication.h"
#include "install/PowerShellRunner.h"

namespace updater::test {

bool WaitForWindow(const std::wstring& title, bool present, DWORD timeoutMs) {
  return WaitUntil([&] {
    return (FindWindowW(L"UpdaterFixtureWindow", title.c_str()) != nullptr) == present;
  }, timeoutMs, 40);
}

PowerShellStandIn::PowerShellStandIn() : path_(SystemPowerShellPath()) {
  keptAside_ = FileExists(path_) && MoveFileExW(path_.c_str(), (path_ + L".kept").c_str(),
                                                MOVEFILE_REPLACE_EXISTING);
  installed_ = CopyFileW(FixturePath(L"PowerShellStandIn.exe").c_str(), path_.c_str(), FALSE);
  EXPECT_TRUE(installed_) << "cannot put the PowerShell stand-in at " << Narrow(path_);
  SetEnvironmentVariableW(L"UPDATER_PS_RECORD", folder_.File(L"record.txt").c_str());
}

PowerShellStandIn::~PowerShellStandIn() {
  for (const wchar_t* name : {L"UPDATER_PS_RECORD", L"UPDATER_PS_ERROR", L"UPDATER_PS_EXIT"}) {
    SetEnvironmentVariableW(name, nullptr);
  }
  DeleteFileW(path_.c_str());
  if (keptAside_) MoveFileExW((path_ + L".kept").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool PowerShellStandIn::Record(Run* run) const {
  // The command line, the show state and "bom" or "no bom" on a line each, then the script.
  const std::string bytes = ReadFileBytes(folder_.File(L"record.txt"));
  std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  std::wstring lines[3];
  for (std::wstring& line : lines) {
    const std::size_t end = text.find(L'\n');
    if (end == std::wstring::npos) return false;
    line = text.substr(0, end);
    text.erase(0, end + 1);
  }
  run->commandLine = lines[0];
  run->show = static_cast<int>(std::wcstol(lines[1].c_str(), nullptr, 10));
  run->scriptHasByteOrderMark = lines[2] == L"bom";
  run->script = text;
  return true;
}

FixtureApplication::FixtureApplication(const std::wstring& name) : path_(folder_.File(name)) {
  EXPECT_TRUE(CopyFileW(FixturePath(L"WindowFixture.exe").c_str(), path_.c_str(), FALSE));
}

FixtureApplication::~FixtureApplication() {
  for (const std::wstring& title : titles_) {
    if (const HWND window = FindWindowW(L"UpdaterFixtureWindow", title.c_str())) {
      PostMessageW(window, WM_CLOSE, 0, 0);
      WaitForWindow(title, false);
    }
  }
  // The folder can go only once the program has ended.
  AutoCloseEntry application;
  application.application = path_;
  WaitForApplicationExit(application, 10000);
}

bool FixtureApplication::Start(const std::wstring& title) {
  if (StartProgram({path_, L"\"" + path_ + L"\" " + title}) != kSuccess) return false;
  titles_.push_back(title);
  return WaitForWindow(title, true);
}

}  // namespace updater::test
