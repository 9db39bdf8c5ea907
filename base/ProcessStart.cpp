#include "base/ProcessStart.h"

#include <utility>

#include "base/ResultText.h"

namespace updater {

ResultCode StartProgram(const ProgramStart& start, KernelHandle* process) {
  if (process != nullptr) process->Reset();
  // CreateProcessW may write into the command line it is given.
  std::wstring commandLine = start.commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  if (start.show) {
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = *start.show;
  }
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(start.program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                      nullptr, start.folder.empty() ? nullptr : start.folder.c_str(), &startup,
                      &started)) {
    return LastErrorOr(ERROR_GEN_FAILURE);
  }
  const KernelHandle thread(started.hThread);
  KernelHandle child(started.hProcess);
  if (process != nullptr) *process = std::move(child);
  return kSuccess;
}

ResultCode OpenThroughShell(const ShellOpen& open, KernelHandle* process) {
  if (process != nullptr) process->Reset();
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof(info);
  info.fMask = open.mask | (process != nullptr ? SEE_MASK_NOCLOSEPROCESS : 0);
  info.lpVerb = open.verb;
  info.lpFile = open.file.c_str();
  info.lpParameters = open.parameters.empty() ? nullptr : open.parameters.c_str();
  info.lpDirectory = open.folder.empty() ? nullptr : open.folder.c_str();
  info.nShow = open.show;
  if (!ShellExecuteExW(&info)) return LastErrorOr(ERROR_GEN_FAILURE);
  KernelHandle child(info.hProcess);
  if (process != nullptr) *process = std::move(child);
  return kSuccess;
}

}  // namespace updater
