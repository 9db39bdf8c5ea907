#include "engine/ApplicationStart.h"

#include <windows.h>

#include "base/ProcessStart.h"
#include "base/UniqueHandle.h"
#include "config/ClientConfig.h"
#include "config/PathExpansion.h"

namespace updater {
namespace {

// A freshly started program needs a moment before its first window exists.
constexpr int kWindowSearchAttempts = 50;
constexpr DWORD kWindowSearchPauseMs = 100;

struct WindowSearch {
  DWORD processId;
  HWND window;
};

BOOL CALLBACK FindTopLevelWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == search->processId && IsWindowVisible(window) && GetParent(window) == nullptr) {
    search->window = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

ResultCode StartApplication(const std::wstring& path, const std::wstring& arguments,
                            const ClientConfig& config) {
  const std::wstring file = ExpandPathOrKeep(path, config.AppDir());
  const std::wstring parameters = ExpandPathOrKeep(arguments, config.AppDir());
  KernelHandle process;
  const ResultCode opened = OpenThroughShell({file, parameters}, &process);
  if (opened != kSuccess) return opened;
  if (!process) return kSuccess;

  WindowSearch search = {GetProcessId(process.Get()), nullptr};
  for (int attempt = 0; attempt < kWindowSearchAttempts && search.window == nullptr; ++attempt) {
    // A program that has ended will never show a window.
    if (WaitForSingleObject(process.Get(), kWindowSearchPauseMs) == WAIT_OBJECT_0) break;
    EnumWindows(FindTopLevelWindow, reinterpret_cast<LPARAM>(&search));
  }
  if (search.window != nullptr) SetForegroundWindow(search.window);
  return kSuccess;
}

}  // namespace updater
