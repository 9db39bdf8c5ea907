#pragma once

#include <string>

namespace updater {

// Runs one script through the system's Windows PowerShell, hidden and without a console, blocking
// until it ends: true when it ended with exit code 0. Either way `output` receives what the script
// wrote to its error stream, or why it could not run.
bool RunPowerShellScript(const std::wstring& script, std::wstring* output);

}  // namespace updater
