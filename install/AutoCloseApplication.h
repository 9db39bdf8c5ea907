#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "catalogue/UpdateInfo.h"

namespace updater {

// Whether a top-level window of the application is one to close. With a title prefix, the
// windows whose title begins with it (in any letter case); without, the windows a user sees as
// the application's main window: titled, with a system menu, and neither child, disabled,
// pop-up nor modal-framed.
bool IsWindowToClose(const std::wstring& title, DWORD style, DWORD exStyle,
                     const std::wstring& titlePrefix);

// Whether to start the application again after the installation.
bool RestartWanted(std::uint32_t flags, bool wasRunning);

// The command line of a restart: the quoted path, a blank and the arguments.
std::wstring RestartCommandLine(const AutoCloseEntry& application);

// The text before the last "\" of `path`; empty when it has none.
std::wstring FolderOfPath(const std::wstring& path);

// Posts WM_CLOSE to the chosen windows of every running process of the application. Returns
// whether it was running, that is whether any window was asked to close; does not wait.
bool CloseApplication(const AutoCloseEntry& application);

// Waits until no process of the application runs any more; false when one still runs after
// `timeoutMs`.
bool WaitForApplicationExit(const AutoCloseEntry& application, DWORD timeoutMs);

// Starts the application again when its restart field says so and no instance runs.
void RestartApplication(const AutoCloseEntry& application);

}  // namespace updater
