#pragma once

#include <string>

namespace updater {

// The path at which the runner expects the system's Windows PowerShell: the system folder joined
// with "WindowsPowerShell\v1.0\powershell.exe", whether or not the file is there.
std::wstring SystemPowerShellPath();

// The command line that runs `scriptPath` with its error stream redirected into `outputPath`,
// in a console buffer wide enough that error lines are not wrapped.
std::wstring PowerShellCommandLine(const std::wstring& scriptPath, const std::wstring& outputPath);

// The text of a redirected error stream: UTF-16LE after its byte-order mark, or UTF-16LE without
// one; any other encoding gives an empty text.
std::wstring ScriptErrorText(const std::string& bytes);

// Runs one script through the system's Windows PowerShell, hidden and without a console, and
// keeps what the script wrote to its error stream. Made for one use: one script, then dropped.
// Blocks the calling thread until PowerShell ends.
class PowerShellRunner {
 public:
  // Finds the executable; nothing is started.
  PowerShellRunner();

  // True when the script ran and ended with exit code 0. Either way Output() then holds the
  // script's error output or the runner's own message.
  bool RunScript(const std::wstring& script);
  bool RunScriptFile(const std::wstring& scriptPath);

  const std::wstring& ExecutablePath() const { return executablePath_; }
  const std::wstring& Output() const { return output_; }

 private:
  std::wstring executablePath_;
  std::wstring output_;
};

}  // namespace updater
