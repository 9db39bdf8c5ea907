#include "install/InstallTestSupport.h"

#include <gtest/gtest.h>

#include <cwchar>

#include "install/AutoCloseApplication.h"
#include "install/PowerShellRunner.h"

namespace updater::test {
namespace {

std::vector<std::wstring> Lines(const std::wstring& text, std::size_t count) {
  std::vector<std::wstring> lines;
  std::size_t begin = 0;
  while (lines.size() + 1 < count) {
    const std::size_t end = text.find(L'\n', begin);
    if (end == std::wstring::npos) break;
    lines.push_back(text.substr(begin, end - begin));
    begin = end + 1;
  }
  lines.push_back(text.substr(begin));
  return lines;
}

std::wstring ReadUtf16(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data()),
                      bytes.size() / sizeof(wchar_t));
}

bool MoveAside(const std::wstring& path, std::wstring* keptAside) {
  *keptAside = path + L".kept-by-test";
  return FileExists(path) && MoveFileExW(path.c_str(), keptAside->c_str(),
                                         MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

std::wstring FixturePath(const std::wstring& name) {
  return ThisExecutableFolder() + L"\\fixtures\\" + name;
}

ScopedEnvironment::ScopedEnvironment(std::wstring name, const std::wstring& value)
    : name_(std::move(name)) {
  wchar_t old[4096];
  const DWORD length = GetEnvironmentVariableW(name_.c_str(), old, 4096);
  hadValue_ = length > 0 && length < 4096;
  if (hadValue_) oldValue_.assign(old, length);
  SetEnvironmentVariableW(name_.c_str(), value.c_str());
}

ScopedEnvironment::~ScopedEnvironment() {
  SetEnvironmentVariableW(name_.c_str(), hadValue_ ? oldValue_.c_str() : nullptr);
}

PowerShellStandIn::PowerShellStandIn() : path_(SystemPowerShellPath()) {
  const bool keptAside = MoveAside(path_, &keptAside_);
  if (!keptAside) keptAside_.clear();
  installed_ = CopyFileW(FixturePath(L"PowerShellStandIn.exe").c_str(), path_.c_str(), FALSE);
  EXPECT_TRUE(installed_) << "cannot put the PowerShell stand-in at " << Narrow(path_);
  Set(L"UPDATER_PS_RECORD", folder_.File(L"record.txt"));
  Set(L"UPDATER_PS_ERROR", L"");
  Set(L"UPDATER_PS_EXIT", L"0");
}

PowerShellStandIn::~PowerShellStandIn() {
  DeleteFileW(path_.c_str());
  if (!keptAside_.empty()) {
    MoveFileExW(keptAside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
  }
}

void PowerShellStandIn::Set(const std::wstring& name, const std::wstring& value) {
  environment_.push_back(std::make_unique<ScopedEnvironment>(name, value));
}

void PowerShellStandIn::WriteError(const std::wstring& text, const std::wstring& encoding) {
  Set(L"UPDATER_PS_ERROR", text);
  Set(L"UPDATER_PS_ENCODING", encoding);
}

bool PowerShellStandIn::Record(Run* run) const {
  const std::wstring path = folder_.File(L"record.txt");
  if (!FileExists(path)) return false;
  const std::vector<std::wstring> lines = Lines(ReadUtf16(path), 4);
  if (lines.size() != 4) return false;
  run->commandLine = lines[0];
  run->show = static_cast<int>(std::wcstol(lines[1].c_str(), nullptr, 10));
  run->scriptHasByteOrderMark = lines[2] == L"bom";
  run->script = lines[3];
  return true;
}

NoPowerShell::NoPowerShell() : path_(SystemPowerShellPath()) {
  moved_ = MoveAside(path_, &keptAside_);
}

NoPowerShell::~NoPowerShell() {
  if (moved_) MoveFileExW(keptAside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
}

InstallerRecord ReadInstallerRecord(const std::wstring& markerPath) {
  InstallerRecord record;
  if (!FileExists(markerPath)) return record;
  const std::vector<std::wstring> lines = Lines(ReadUtf16(markerPath), 2);
  record.ran = true;
  record.commandLine = lines[0];
  if (lines.size() == 2) {
    record.show = static_cast<int>(std::wcstol(lines[1].c_str(), nullptr, 10));
  }
  return record;
}

bool WaitForWindow(const std::wstring& title, bool present, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if ((FindWindowW(L"UpdaterFixtureWindow", title.c_str()) != nullptr) == present) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(40);
  }
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
  std::wstring commandLine = L"\"" + path_ + L"\" " + title;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(path_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return false;
  }
  const KernelHandle process(started.hProcess);
  const KernelHandle thread(started.hThread);
  titles_.push_back(title);
  return WaitForWindow(title, true);
}

InstallSetup::InstallSetup(const std::wstring& clientFlags)
    : id_(UniqueName(L"InstallTest")),
      registry_(L"Software\\Merrow\\Ruddle\\" + id_),
      config_(folder_.File(L"Updater.ini")) {
  CreateDirectoryW(folder_.File(L"downloads").c_str(), nullptr);
  WriteTextFile(config_.Path(),
                L"[General]\r\nID=" + id_ + L"\r\nApplicationName=Install Test App\r\nAppDir=" +
                    folder_.Path() + L"\r\nDownloadsFolder=" + folder_.File(L"downloads") +
                    L"\r\nURL=http://" + ServerAddress(L"http") + L"/none.ini\r\n" +
                    (clientFlags.empty() ? L"" : L"Flags=" + clientFlags + L"\r\n"),
                TextEncoding::Ansi);
  EXPECT_EQ(kSuccess, config_.Load());
}

std::wstring InstallSetup::SettingsKey(const std::wstring& kind) const {
  return registry_.SubKey() + L"\\" + kind;
}

UpdateInfo& InstallSetup::Add(const std::wstring& section, const std::wstring& fixture,
                              const std::wstring& fileName) {
  const std::wstring folder = folder_.File(L"downloads\\" + section);
  CreateDirectoryW(folder.c_str(), nullptr);
  UpdateInfo update;
  update.sectionName = section;
  update.name = section + L" update";
  update.client = &config_;
  update.localFilePath = folder + L"\\" + fileName;
  EXPECT_TRUE(CopyFileW(FixturePath(fixture).c_str(), update.localFilePath.c_str(), FALSE))
      << "cannot copy " << Narrow(fixture);
  update.size = static_cast<std::int32_t>(ReadFileBytes(update.localFilePath).size());
  update.selectedForInstall = true;
  update.detectionKind = DetectionKind::File;
  update.detectionTarget = folder_.File(section + L".installed");
  list_.updates.push_back(std::move(update));
  return list_.updates.back();
}

UpdateInfo& InstallSetup::AddInstaller(const std::wstring& section, int exitCode) {
  UpdateInfo& update = Add(section, L"InstallerFixture.exe", section + L".exe");
  update.commandLine = L"\"" + update.detectionTarget + L"\" " + std::to_wstring(exitCode);
  return update;
}

}  // namespace updater::test
