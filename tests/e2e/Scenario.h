#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "install/InstallTestSupport.h"

namespace updater::test {

// `path` on the local test server `server` ("http", "fault").
std::wstring ServerUrl(const wchar_t* server, const std::wstring& path);
std::wstring ReadUtf16File(const std::wstring& path);  // without its byte-order mark
inline bool Contains(const std::wstring& text, const std::wstring& part) {
  return text.find(part) != std::wstring::npos;
}

// Runs UpdaterPublisher.exe and answers its exit code; what it prints goes to `output`, and its
// warnings to `warnings`, when given.
DWORD RunPublisher(const std::wstring& arguments, std::string* output = nullptr,
                   std::string* warnings = nullptr);

// The file as the publisher tool signs it: body, serial and expiry lines, signature line.
std::string SignedFeed(const std::string& body, DWORD serial, int expiresInDays,
                       const std::wstring& privateKey);

// Uninstalls both fixture packages, which answer the same detection (the demo installs the second).
void RemoveFixturePackages();

// What a user sees of one run: the exit code, the message boxes (read and closed with OK, as a
// user would, unless only watching) and the titles of its windows, each once, in order.
struct RunOutcome {
  DWORD exitCode = 0;
  int messageBoxes = 0;
  std::wstring boxCaption, boxText;
  std::vector<std::wstring> windowTitles;
};
enum class Dialogs { AnswerOk, OnlyWatch };

// A published update; its installer, a served `fixture`, writes SECTION.installed (which detection
// looks for) when `installs`, else SECTION.ran, and exits with `exitCode`.
struct Update {
  std::wstring section;
  std::wstring keys;  // further keys; a Flags= here replaces Flags=SilentInstall
  DWORD exitCode = 0;
  bool installs = true;
  long sizeError = 0;  // added to the true size in the published Size
  std::wstring fixture = L"InstallerFixture.exe";
  std::wstring file;  // served and downloaded under this name; SECTION.exe when empty
};

// An application as shipped and installed: a folder (its AppDir) with Updater.exe, Updater.ini and
// the downloads folder; the update configuration file and installers served by the local nginx;
// the per-user settings, with everything logged. All of it is removed at the end.
class Scenario : public ClientConfigFile {
 public:
  // Serves its files in a folder of its own under `servedUnder` ("auth/": behind authentication).
  explicit Scenario(const std::wstring& servedUnder = L"");
  ~Scenario();
  // Rewrites Updater.ini: this scenario's ID, `keys`, and with `folders` its AppDir and downloads.
  void Configure(const std::wstring& keys, bool folders = false) const;
  std::wstring Exe() const { return File(L"Updater.exe"); }
  std::wstring Downloads() const { return File(L"downloads"); }
  std::wstring InstallerPath(const std::wstring& section) const {
    return Downloads() + L"\\" + section + L"\\" + section + L".exe";
  }
  std::wstring Marker(const std::wstring& section) const { return File(section + L".installed"); }
  std::wstring Log() const { return ReadUtf16File(Downloads() + L"\\updater.log"); }
  void Set(const std::wstring& setting, DWORD value) const {
    SetRegistryDword(HKEY_CURRENT_USER, Key(L"Settings"), setting, value);
  }
  // Whether Updater.exe is registered as a client of its configuration, which /clean looks at.
  bool Registered() const {
    DWORD value = 1;
    return GetRegistryDword(HKEY_CURRENT_USER, Key(), Exe(), &value) && value == 0;
  }

  std::wstring Url(const std::wstring& name) const {
    return ServerUrl(L"http", served_ + L"/" + name);
  }
  void Serve(const std::wstring& name, const std::wstring& text) const;
  // Where the local nginx serves `name` of this scenario from.
  std::wstring ServedPath(const std::wstring& name) const {
    return ServersFolder() + L"\\www\\" + served_ + L"\\" + name;
  }
  std::wstring Section(const Update& update) const;  // serves its installer too
  // As Section, with the installer served by the fault server behind `faults` ("trickle/").
  std::wstring FaultySection(const Update& update, const std::wstring& faults) const;
  // The section [Package] of the fixture package `fixture`, served as Package.msi, with `keys`;
  // detected by the registry value the package writes.
  std::wstring PackageSection(const std::wstring& fixture, const std::wstring& keys) const;
  // Serves ";qzu;", a [General] section and `sections` as the update configuration file.
  void Publish(const std::wstring& sections) const {
    Serve(L"updates.ini", L";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n" + sections);
  }
  // As Publish, signed with `privateKey` as the publisher tool signs it.
  void PublishSigned(const std::wstring& sections, const std::wstring& privateKey) const;
  // The nginx log lines of requests for `file` of this scenario, or for any of its files.
  std::vector<std::string> Requests(const std::wstring& file = L"") const;

  RunOutcome Run(const std::wstring& arguments, Dialogs dialogs = Dialogs::AnswerOk) const;
  // `/silentall -nogui -nofreqcheck` as a scheduled task runs it: the installed updater hands the
  // work to a temporary copy, whose result is read from the log. None when it did not end.
  std::optional<DWORD> InstallAll(const std::wstring& options = L"") const;

 private:
  std::wstring served_;
};

}  // namespace updater::test
