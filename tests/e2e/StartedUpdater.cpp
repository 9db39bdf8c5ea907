#include "e2e/StartedUpdater.h"

#include <gtest/gtest.h>

#include <vector>

namespace updater::test {
namespace {

struct TitleSearch {
  DWORD processId;
  const std::wstring* title;
  HWND found;
};

BOOL CALLBACK FindTitledWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<TitleSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
  std::vector<wchar_t> text(GetWindowTextLengthW(window) + 1);
  GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
  if (*search->title != text.data()) return TRUE;
  search->found = window;
  return FALSE;
}

}  // namespace

StartedUpdater::StartedUpdater(const InstalledUpdater& updater, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + updater.ExecutablePath() + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(updater.ExecutablePath().c_str(), commandLine.data(), nullptr, nullptr,
                      FALSE, 0, nullptr, updater.Folder().c_str(), &startup, &info)) {
    ADD_FAILURE() << "cannot start " << Narrow(commandLine) << ": " << GetLastError();
    return;
  }
  process_.Reset(info.hProcess);
  KernelHandle thread(info.hThread);
  processId_ = info.dwProcessId;
}

StartedUpdater::~StartedUpdater() {
  if (process_ && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT) {
    TerminateProcess(process_.Get(), 0xDEAD);
    WaitForSingleObject(process_.Get(), 5000);
  }
}

HWND StartedUpdater::WaitForWindow(const std::wstring& title, DWORD timeoutMs) const {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  do {
    TitleSearch search = {processId_, &title, nullptr};
    EnumWindows(FindTitledWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
  } while (process_ && WaitForSingleObject(process_.Get(), 20) == WAIT_TIMEOUT &&
           GetTickCount64() < deadline);
  return nullptr;
}

bool StartedUpdater::WaitForExit(DWORD timeoutMs, DWORD* exitCode) const {
  return process_ && WaitForSingleObject(process_.Get(), timeoutMs) == WAIT_OBJECT_0 &&
         GetExitCodeProcess(process_.Get(), exitCode);
}

}  // namespace updater::test
