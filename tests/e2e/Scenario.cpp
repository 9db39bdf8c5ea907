#include "e2e/Scenario.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <sstream>

#include "config/NextUpdateCheck.h"
#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"

namespace updater::test {

std::wstring ServerUrl(const wchar_t* server, const std::wstring& path) {
  return L"http://" + ServerAddress(server) + L"/" + path;
}

std::wstring ReadUtf16File(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < 2) return std::wstring();
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

Scenario::Scenario(const std::wstring& servedUnder)
    : ClientConfigFile(L"E2e", L"Updater.ini", TextEncoding::Utf16),
      served_(servedUnder + UniqueName(L"e2e")) {
  EXPECT_TRUE(CopyFileW((ThisExecutableFolder() + L"\\..\\Updater.exe").c_str(), Exe().c_str(),
                        FALSE));
  CreateDirectoryW(ServedPath(L"").c_str(), nullptr);
  CreateDirectoryW(Downloads().c_str(), nullptr);
  Configure(L"ApplicationName=Test App\r\nURL=" + Url(L"updates.ini") + L"\r\n", true);
  Set(L"LogLevel", 15);
}

Scenario::~Scenario() { DeleteFolderTree(ServedPath(L"")); }

void Scenario::Configure(const std::wstring& keys, bool folders) const {
  const std::wstring paths = L"AppDir=" + Folder() + L"\r\nDownloadsFolder=" + Downloads();
  Write(keys + (folders ? paths : L""));
}

void Scenario::Serve(const std::wstring& name, const std::wstring& text) const {
  WriteTextFile(ServedPath(name), text, TextEncoding::Ansi);
}

std::wstring Scenario::Section(const Update& update) const {
  const std::wstring file = update.file.empty() ? update.section + L".exe" : update.file;
  EXPECT_TRUE(CopyFileW(FixturePath(update.fixture).c_str(), ServedPath(file).c_str(), FALSE))
      << Narrow(update.fixture) << " not served";
  const long size = static_cast<long>(ReadFileBytes(ServedPath(file)).size()) + update.sizeError;
  // The exit code follows the marker: a value that begins and ends with a quote loses them.
  return L"[" + update.section + L"]\r\nName=" + update.section + L" update\r\nSize=" +
         std::to_wstring(size) + L"\r\nURL=" + Url(file) + L"\r\nFilePath=" +
         Marker(update.section) + L"\r\nCommandLine=\"" +
         File(update.section + (update.installs ? L".installed" : L".ran")) + L"\" " +
         std::to_wstring(update.exitCode) + L"\r\n" + update.keys +
         (Contains(update.keys, L"Flags=") ? L"" : L"Flags=SilentInstall\r\n");
}

std::wstring Scenario::FaultySection(const Update& update, const std::wstring& faults) const {
  std::wstring section = Section(update);
  const std::wstring nginx = ServerUrl(L"http", L"");
  return section.replace(section.find(nginx), nginx.size(), ServerUrl(L"fault", faults));
}

DWORD RunPublisher(const std::wstring& arguments, std::string* output, std::string* warnings) {
  const std::wstring tool = ThisExecutableFolder() + L"\\..\\UpdaterPublisher.exe";
  const std::wstring printed = tool + L".out", warned = tool + L".err";
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  FileHandle out(CreateFileW(printed.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  FileHandle err(CreateFileW(warned.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                             CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = out.Get();
  startup.hStdError = err.Get();
  PROCESS_INFORMATION started = {};
  std::wstring commandLine = L"\"" + tool + L"\" " + arguments;
  if (!CreateProcessW(tool.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &started)) {
    return 0xDEAD;
  }
  const KernelHandle thread(started.hThread), process(started.hProcess);
  WaitForSingleObject(process.Get(), 60000);
  DWORD code = 0xDEAD;
  GetExitCodeProcess(process.Get(), &code);
  out.Reset();
  err.Reset();
  if (output != nullptr) *output = ReadFileBytes(printed);
  if (warnings != nullptr) *warnings = ReadFileBytes(warned);
  return code;
}

std::string SignedFeed(const std::string& body, DWORD serial, int expiresInDays,
                       const std::wstring& privateKey) {
  const std::string signedPart =
      body + FeedTrailerHead(serial, FeedExpiryAfterDays(CurrentFileTime(), expiresInDays));
  std::wstring signature;
  EXPECT_EQ(kSuccess, SignFeedBytes(privateKey, signedPart, &signature));
  return signedPart + ";signature=" + Narrow(signature) + "\r\n";
}

void Scenario::PublishSigned(const std::wstring& sections, const std::wstring& privateKey) const {
  const std::string body = Narrow(L";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n" + sections);
  const std::string feed = SignedFeed(body, 1, 30, privateKey);
  WriteTextFile(ServedPath(L"updates.ini"), std::wstring(feed.begin(), feed.end()),
                TextEncoding::Ansi);
}

std::wstring Scenario::PackageSection(const std::wstring& fixture, const std::wstring& keys) const {
  Section({L"Package", L"", 0, true, 0, fixture, L"Package.msi"});
  return L"[Package]\r\nName=Package update\r\nSize=" +
         std::to_wstring(ReadFileBytes(FixturePath(fixture)).size()) + L"\r\nURL=" +
         Url(L"Package.msi") +
         L"\r\nRegistryKey=HKLM\\Software\\UpdaterFixturePackage\\Version\r\n"
         L"Version=>=1.2.0.0\r\n" + keys;
}

void RemoveFixturePackages() {
  for (const wchar_t* product : {L"{6B0E3C57-2F7A-4E61-9C43-8D1B6A0F2E11}",
                                 L"{6B0E3C57-2F7A-4E61-9C43-8D1B6A0F2E12}"}) {
    KernelHandle msiexec;
    StartProgram({L"C:\\windows\\system32\\msiexec.exe",
                  std::wstring(L"msiexec /x ") + product + L" /qn"}, &msiexec);
    WaitForSingleObject(msiexec.Get(), 60000);
  }
}

std::vector<std::string> Scenario::Requests(const std::wstring& file) const {
  std::istringstream log(ReadFileBytes(ServersFolder() + L"\\nginx-access.log"));
  std::vector<std::string> lines;
  for (std::string line; std::getline(log, line);) {
    const std::string path = Narrow(served_ + L"/" + file) + (file.empty() ? "" : " ");
    if (line.find("/" + path) != std::string::npos) lines.push_back(line);
  }
  return lines;
}

RunOutcome Scenario::Run(const std::wstring& arguments, Dialogs dialogs) const {
  RunOutcome outcome{0xDEAD};
  const std::wstring commandLine = L"\"" + Exe() + L"\" " + arguments;
  KernelHandle process;
  if (const ResultCode error = StartProgram({Exe(), commandLine, Folder()}, &process)) {
    ADD_FAILURE() << "cannot start " << Narrow(commandLine) << ": " << error;
    return outcome;
  }
  const DWORD id = GetProcessId(process.Get());
  std::vector<std::wstring>& titles = outcome.windowTitles;
  // A box answered stays visible until its own thread has closed it: it is answered once.
  std::vector<HWND> answered;
  // A window shown only for a moment is seen only when looking often.
  const bool ended = WaitUntil([&] {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
      DWORD owner = 0;
      GetWindowThreadProcessId(window, &owner);
      if (owner != id || !IsWindowVisible(window)) continue;
      wchar_t title[512] = {};
      GetWindowTextW(window, title, 512);
      if (std::find(titles.begin(), titles.end(), title) == titles.end()) titles.push_back(title);
      wchar_t className[16] = {};
      GetClassNameW(window, className, 16);
      if (dialogs == Dialogs::OnlyWatch || std::wstring(className) != L"#32770" ||
          std::find(answered.begin(), answered.end(), window) != answered.end()) {
        continue;
      }
      answered.push_back(window);
      ++outcome.messageBoxes;
      outcome.boxCaption = title;
      wchar_t text[512] = {};
      GetDlgItemTextW(window, 0xFFFF, text, 512);  // the message's static control, as in Windows
      outcome.boxText = text;
      SendMessageW(window, WM_COMMAND, IDOK, 0);
    }
    return WaitForSingleObject(process.Get(), 0) == WAIT_OBJECT_0;
  }, 60000, dialogs == Dialogs::OnlyWatch ? 1 : 20);
  EXPECT_TRUE(ended) << "did not end: " << Narrow(commandLine) << "\n" << Narrow(Log());
  if (!ended) TerminateProcess(process.Get(), 0xDEAD);
  if (ended) GetExitCodeProcess(process.Get(), &outcome.exitCode);
  return outcome;
}

std::optional<DWORD> Scenario::InstallAll(const std::wstring& options) const {
  EXPECT_EQ(0u, Run(L"/silentall -nogui -nofreqcheck" + options).exitCode) << "no copy started";
  const std::wstring finished = L"Updater finished. Mode: 8. Return code: ";
  std::wstring log;
  if (!WaitUntil([&] {
        log = Log();
        return log.find(L'\n', std::min(log.rfind(finished), log.size())) != std::wstring::npos;
      }, 80000, 40)) {
    ADD_FAILURE() << "the copy did not finish\n" << Narrow(log);
    return std::nullopt;
  }
  return static_cast<DWORD>(std::wcstoul(&log[log.rfind(finished) + finished.size()], nullptr, 10));
}

}  // namespace updater::test
