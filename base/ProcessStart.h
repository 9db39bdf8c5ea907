#pragma once

#include <windows.h>
#include <shellapi.h>

#include <optional>
#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"

namespace updater {

// A program started directly. It inherits none of this process's handles: a service's or an
// elevated run's open files and objects stay its own.
struct ProgramStart {
  std::wstring program{};       // full path: never looked up from the command line
  std::wstring commandLine{};   // as its caller quotes it, the program's own name first
  std::wstring folder{};        // its current directory; empty: this process's
  std::optional<WORD> show{};   // an SW_ value; none: the program's own choice
};

// Starts `start`; `process`, when given, receives the process (the thread's handle is closed),
// and is empty on failure. Returns 0, or the error of CreateProcessW.
ResultCode StartProgram(const ProgramStart& start, KernelHandle* process = nullptr);

// A file handed to the shell, which picks the program of its type (or runs it, an executable)
// and may ask for elevation as the file's manifest or the verb wants.
struct ShellOpen {
  std::wstring file{};
  std::wstring parameters{};         // empty: none
  std::wstring folder{};             // its current directory; empty: this process's
  int show = SW_SHOWNORMAL;
  const wchar_t* verb = L"open";     // null: the file type's default verb
  ULONG mask = SEE_MASK_FLAG_NO_UI;  // SEE_MASK_NOCLOSEPROCESS follows from `process`
};

// Hands `open` to the shell. `process`, when given, receives the started process, and is empty
// on failure or when the shell started none (a document opened in a program already running).
// Returns 0, or the shell's error.
ResultCode OpenThroughShell(const ShellOpen& open, KernelHandle* process = nullptr);

}  // namespace updater
