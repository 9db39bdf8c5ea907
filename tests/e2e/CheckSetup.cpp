#include "e2e/CheckSetup.h"

#include <gtest/gtest.h>

#include <sstream>

namespace updater::test {
namespace {

constexpr wchar_t kConfigurationName[] = L"updates.ini";

std::wstring WwwFolder() { return ServersFolder() + L"\\www"; }

}  // namespace

CheckSetup::CheckSetup()
    : id_(UniqueName(L"DriverE2e")),
      servedFolder_(UniqueName(L"driver_e2e")),
      registry_(L"Software\\Merrow\\Ruddle\\" + id_) {
  if (!ServersFolder().empty()) {
    CreateDirectoryW((WwwFolder() + L"\\" + servedFolder_).c_str(), nullptr);
  }
  CreateDirectoryW(DownloadsFolder().c_str(), nullptr);
  UseConfigurationUrl(ServedUrl(kConfigurationName));
  // Everything logged, so that a failing test shows what the updater did.
  SetRegistryDword(HKEY_CURRENT_USER, SettingsKey(), L"LogLevel", 15);
}

CheckSetup::~CheckSetup() {
  if (!ServersFolder().empty()) DeleteFolderTree(WwwFolder() + L"\\" + servedFolder_);
}

bool CheckSetup::ServersAvailable() const {
  if (!ServersFolder().empty()) return true;
  ADD_FAILURE() << "UPDATER_SERVERS_DIR is not set: start scripts/test-servers.sh and run "
                   "through the build's wine-run.sh";
  return false;
}

void CheckSetup::UseConfigurationUrl(const std::wstring& url) const {
  updater_.WriteConfig(L"ID=" + id_ + L"\r\nApplicationName=Driver Test App\r\nURL=" + url +
                       L"\r\nAppDir=" + machine_.Path() + L"\r\nDownloadsFolder=" +
                       DownloadsFolder() + L"\r\n");
}

std::wstring CheckSetup::Update(const std::wstring& section, bool critical, bool installed) const {
  const std::wstring marker = machine_.File(section + L".installed");
  if (installed) WriteTextFile(marker, L"x", TextEncoding::Ansi);
  return L"[" + section + L"]\r\nName=" + section + L" update\r\nSize=1000\r\nURL=" +
         ServedUrl(section + L".exe") + L"\r\nFilePath=" + marker + L"\r\n" +
         (critical ? L"Flags=Critical\r\n" : L"");
}

void CheckSetup::Publish(const std::wstring& sections) const {
  Serve(kConfigurationName, L";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n" + sections);
}

void CheckSetup::Serve(const std::wstring& name, const std::wstring& text) const {
  WriteTextFile(ServedPath(name), text, TextEncoding::Ansi);
}

std::size_t CheckSetup::ServeFixture(const std::wstring& name, const std::wstring& fixture) const {
  const std::wstring source = ThisExecutableFolder() + L"\\fixtures\\" + fixture;
  EXPECT_TRUE(CopyFileW(source.c_str(), ServedPath(name).c_str(), FALSE)) << Narrow(source);
  return ReadFileBytes(source).size();
}

std::wstring CheckSetup::InstallerPath(const std::wstring& section) const {
  return DownloadsFolder() + L"\\" + section + L"\\" + section + L".exe";
}

std::wstring CheckSetup::Log() const {
  const std::wstring path = DownloadsFolder() + L"\\updater.log";
  return FileExists(path) ? ReadUtf16File(path) : std::wstring();
}

std::vector<std::string> CheckSetup::ServerRequests() const {
  const std::wstring path = ServersFolder() + L"\\nginx-access.log";
  std::vector<std::string> lines;
  if (!FileExists(path)) return lines;
  std::istringstream log(ReadFileBytes(path));
  const std::string folder = "/" + Narrow(servedFolder_) + "/";
  for (std::string line; std::getline(log, line);) {
    if (line.find(folder) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

std::wstring CheckSetup::ServedUrl(const std::wstring& name) const {
  return L"http://" + ServerAddress(L"http") + L"/" + servedFolder_ + L"/" + name;
}

std::wstring CheckSetup::ServedPath(const std::wstring& name) const {
  return WwwFolder() + L"\\" + servedFolder_ + L"\\" + name;
}

}  // namespace updater::test
