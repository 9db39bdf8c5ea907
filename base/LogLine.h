#pragma once

#include <windows.h>

#include <string>

namespace updater {

// One log line: "# YYYY-MM-DD hh-mm-ss [PID=n|Thread=n] " and the context, padded with blanks to
// 120 characters (at least one blank), then "|\t\t", the message and CR LF. The fixed column
// keeps messages aligned when the log is read in a plain editor.
std::wstring FormatLogLine(const SYSTEMTIME& localTime, DWORD processId, DWORD threadId,
                           const std::wstring& context, const std::wstring& message);

}  // namespace updater
