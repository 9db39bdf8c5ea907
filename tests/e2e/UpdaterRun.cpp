#include "e2e/UpdaterRun.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace updater::test {
namespace {

struct DialogSearch {
  DWORD processId;
  HWND dialog;
};

BOOL CALLBACK FindProcessDialog(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<DialogSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[16] = {};
  GetClassNameW(window, className, 16);
  if (owner == search->processId && IsWindowVisible(window) &&
      std::wstring(className) == L"#32770") {
    search->dialog = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param) {
  auto* longest = reinterpret_cast<std::wstring*>(param);
  wchar_t className[16] = {};
  GetClassNameW(child, className, 16);
  if (std::wstring(className) != L"Static") return TRUE;
  std::vector<wchar_t> text(GetWindowTextLengthW(child) + 1);
  GetWindowTextW(child, text.data(), static_cast<int>(text.size()));
  if (wcslen(text.data()) > longest->size()) *longest = text.data();
  return TRUE;
}

std::wstring WindowText(HWND window) {
  std::vector<wchar_t> text(GetWindowTextLengthW(window) + 1);
  GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  return text.data();
}

struct WindowSearch {
  DWORD processId;
  std::vector<std::wstring>* titles;
};

BOOL CALLBACK CollectWindowTitle(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  const std::wstring title = WindowText(window);
  std::vector<std::wstring>& titles = *search->titles;
  if (std::find(titles.begin(), titles.end(), title) == titles.end()) titles.push_back(title);
  return TRUE;
}

}  // namespace

std::wstring BuiltUpdaterPath() {
  const std::wstring testFolder = ThisExecutableFolder();
  return testFolder.substr(0, testFolder.find_last_of(L'\\')) + L"\\Updater.exe";
}

InstalledUpdater::InstalledUpdater() {
  EXPECT_TRUE(CopyFileW(BuiltUpdaterPath().c_str(), ExecutablePath().c_str(), FALSE))
      << "cannot copy " << Narrow(BuiltUpdaterPath());
}

void InstalledUpdater::WriteConfig(const std::wstring& generalKeys) const {
  WriteTextFile(ConfigPath(), L"[General]\r\n" + generalKeys, TextEncoding::Utf16);
}

RunOutcome InstalledUpdater::Run(const std::wstring& arguments, DWORD timeoutMs,
                                 DialogHandling dialogs) const {
  RunOutcome outcome;
  std::wstring commandLine = L"\"" + ExecutablePath() + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(ExecutablePath().c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, Folder().c_str(), &startup, &info)) {
    ADD_FAILURE() << "cannot start " << Narrow(commandLine) << ": " << GetLastError();
    return outcome;
  }
  KernelHandle process(info.hProcess);
  KernelHandle thread(info.hThread);

  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  const bool watchOnly = dialogs == DialogHandling::OnlyWatch;
  // A window shown only for a moment is seen only when looking often.
  while (WaitForSingleObject(process.Get(), watchOnly ? 1 : 20) == WAIT_TIMEOUT) {
    WindowSearch windows = {info.dwProcessId, &outcome.windowTitles};
    EnumWindows(CollectWindowTitle, reinterpret_cast<LPARAM>(&windows));
    DialogSearch search = {info.dwProcessId, nullptr};
    if (!watchOnly) EnumWindows(FindProcessDialog, reinterpret_cast<LPARAM>(&search));
    if (search.dialog != nullptr) {
      ++outcome.messageBoxes;
      outcome.messageBoxCaption = WindowText(search.dialog);
      outcome.messageBoxText.clear();
      EnumChildWindows(search.dialog, CollectStaticText,
                       reinterpret_cast<LPARAM>(&outcome.messageBoxText));
      SendMessageW(search.dialog, WM_COMMAND, IDOK, 0);
    }
    if (GetTickCount64() > deadline) {
      ADD_FAILURE() << "Updater did not end within " << timeoutMs << " ms: " << Narrow(arguments);
      TerminateProcess(process.Get(), 0xDEAD);
      WaitForSingleObject(process.Get(), 5000);
      return outcome;
    }
  }
  GetExitCodeProcess(process.Get(), &outcome.exitCode);
  outcome.finished = true;
  return outcome;
}

size_t CountOf(const std::wstring& text, const std::wstring& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::wstring::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

std::wstring ReadUtf16File(const std::wstring& path) {
  const std::string bytes = ReadFileBytes(path);
  if (bytes.size() < 2) return std::wstring();
  return std::wstring(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
}

}  // namespace updater::test
