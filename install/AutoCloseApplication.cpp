#include "install/AutoCloseApplication.h"

#include <tlhelp32.h>

#include <vector>

#include "base/ProcessStart.h"
#include "base/TextUtil.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

// Dialog templates set this style bit (DS_MODALFRAME) on modal dialogs.
constexpr DWORD kModalFrameStyle = 0x80;
// QueryFullProcessImageNameW takes long paths; this bounds the buffer.
constexpr DWORD kImagePathChars = 1040;

bool IsProcessOf(DWORD processId, const std::wstring& path) {
  const KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
  if (!process) return false;
  wchar_t image[kImagePathChars];
  DWORD length = kImagePathChars;
  return QueryFullProcessImageNameW(process.Get(), 0, image, &length) &&
         _wcsicmp(image, path.c_str()) == 0;
}

std::vector<DWORD> ProcessesOf(const std::wstring& path) {
  std::vector<DWORD> ids;
  const KernelHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  if (!snapshot) return ids;
  PROCESSENTRY32W entry = {};
  entry.dwSize = sizeof(entry);
  for (BOOL more = Process32FirstW(snapshot.Get(), &entry); more;
       more = Process32NextW(snapshot.Get(), &entry)) {
    if (IsProcessOf(entry.th32ProcessID, path)) ids.push_back(entry.th32ProcessID);
  }
  return ids;
}

std::wstring WindowTitle(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return std::wstring();
  std::wstring title(static_cast<std::size_t>(length) + 1, L'\0');
  title.resize(static_cast<std::size_t>(GetWindowTextW(window, title.data(), length + 1)));
  return title;
}

struct WindowSearch {
  DWORD processId;
  const std::wstring* titlePrefix;
  std::vector<HWND> windows;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != search->processId) return TRUE;
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  if (IsWindowToClose(WindowTitle(window), style, exStyle, *search->titlePrefix)) {
    search->windows.push_back(window);
  }
  return TRUE;
}

bool IsStillActive(HANDLE process) {
  DWORD exitCode = 0;
  return GetExitCodeProcess(process, &exitCode) && exitCode == STILL_ACTIVE;
}

}  // namespace

bool IsWindowToClose(const std::wstring& title, DWORD style, DWORD exStyle,
                     const std::wstring& titlePrefix) {
  if (!titlePrefix.empty()) {
    return StartsWithNoCase(title, titlePrefix);
  }
  return !title.empty() && (style & WS_SYSMENU) != 0 &&
         (style & (WS_CHILD | WS_DISABLED | WS_POPUP | kModalFrameStyle)) == 0 &&
         (exStyle & WS_EX_DLGMODALFRAME) == 0;
}

bool RestartWanted(std::uint32_t flags, bool wasRunning) {
  if ((flags & kAutoCloseNoRestart) != 0) return false;
  return wasRunning || (flags & kAutoCloseAlwaysRestart) != 0;
}

std::wstring RestartCommandLine(const AutoCloseEntry& application) {
  return L"\"" + application.application + L"\" " + application.arguments;
}

std::wstring FolderOfPath(const std::wstring& path) {
  const std::size_t slash = path.rfind(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

bool CloseApplication(const AutoCloseEntry& application) {
  bool wasRunning = false;
  for (const DWORD processId : ProcessesOf(application.application)) {
    WindowSearch search{processId, &application.windowTitle, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    const KernelHandle process(OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId));
    for (const HWND window : search.windows) {
      if (!process || !IsStillActive(process.Get()) || WindowTitle(window).empty()) continue;
      PostMessageW(window, WM_CLOSE, 0, 0);
      wasRunning = true;
    }
  }
  return wasRunning;
}

bool WaitForApplicationExit(const AutoCloseEntry& application, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (const DWORD processId : ProcessesOf(application.application)) {
    const KernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, processId));
    if (!process) continue;
    const ULONGLONG now = GetTickCount64();
    const DWORD left = now < deadline ? static_cast<DWORD>(deadline - now) : 0;
    if (WaitForSingleObject(process.Get(), left) == WAIT_TIMEOUT) return false;
  }
  return true;
}

void RestartApplication(const AutoCloseEntry& application) {
  if (!application.restart || !ProcessesOf(application.application).empty()) return;
  // The restarted application runs on by itself: nothing waits for it.
  StartProgram({application.application, RestartCommandLine(application),
                FolderOfPath(application.application)});
}

}  // namespace updater
