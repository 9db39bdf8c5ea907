#pragma once

#include <windows.h>

#include <string>

#include "base/UniqueHandle.h"
#include "e2e/UpdaterRun.h"

namespace updater::test {

// An updater started without waiting for it, for scenarios in which something happens while it
// runs. A process still running at the end of the test is terminated.
class StartedUpdater {
 public:
  StartedUpdater(const InstalledUpdater& updater, const std::wstring& arguments);
  ~StartedUpdater();
  StartedUpdater(const StartedUpdater&) = delete;
  StartedUpdater& operator=(const StartedUpdater&) = delete;

  bool Started() const { return static_cast<bool>(process_); }
  // The visible top-level window of the process with this title; null when none appeared in time.
  HWND WaitForWindow(const std::wstring& title, DWORD timeoutMs) const;
  // The exit code; false when the process did not end in time.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode) const;

 private:
  KernelHandle process_;
  DWORD processId_ = 0;
};

}  // namespace updater::test
