#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// The batch file that a temporary copy starts at its end: it deletes the hand-over files, waits
// until the copy's executable can be deleted, then removes the copy's folder and itself.
struct RemovalBatchFile {
  std::wstring path;
  // The empty file that GetTempFileNameW created to reserve the name; the batch deletes it too, so
  // that the name stays taken while the batch file exists.
  std::wstring placeholder;
};

// The lines of the batch file, each ending in CR LF except the last.
std::wstring RemovalBatchText(const std::vector<std::wstring>& handOverFiles,
                              const std::wstring& copyExecutable, const std::wstring& copyFolder,
                              const std::wstring& batchPath);

// A unique name with the extension ".bat" in `folder`. Returns 0 or the Windows error.
ResultCode ChooseRemovalBatchFile(const std::wstring& folder, RemovalBatchFile* batch);

// Writes `text` in the ANSI code page, as cmd.exe reads it. Returns 0 or the Windows error.
ResultCode WriteRemovalBatchFile(const std::wstring& path, const std::wstring& text);

}  // namespace updater
