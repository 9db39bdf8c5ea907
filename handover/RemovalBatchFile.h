#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"

namespace updater {

// The batch file that a temporary copy starts at its end: it deletes the hand-over files, waits
// until the copy's executable can be deleted, then removes the copy's folder and itself.
struct RemovalBatchFile {
  std::wstring path;
  FileHandle file;  // the new, empty file this run created, open for writing
};

// The lines of the batch file, each ending in CR LF except the last.
std::wstring RemovalBatchText(const std::vector<std::wstring>& handOverFiles,
                              const std::wstring& copyExecutable, const std::wstring& copyFolder,
                              const std::wstring& batchPath);

// True when cmd.exe reads `path` between double quotes as it is: no quote that would end them,
// no % or ! that it would expand, none of ^ & < > | that break the line once the quotes are off,
// and no control character.
bool IsSafeInBatchLine(const std::wstring& path);

// `folder`\PREFIXXXXX.bat, XXXX the low 16 bits of `number` in hexadecimal, as GetTempFileNameW
// names its files.
std::wstring RemovalBatchFileName(const std::wstring& folder, const wchar_t* prefix,
                                  unsigned number);

// Creates a new file under the first free RemovalBatchFileName from `firstNumber` on. A name that
// exists is skipped, never opened: in a temporary folder that other users share, a file made
// in advance could hold their commands. A `privateFile` only LocalSystem and the Administrators
// may open, so that nobody else can change what it runs. Returns 0 or the Windows error.
ResultCode CreateRemovalBatchFile(const std::wstring& folder, const wchar_t* prefix,
                                  unsigned firstNumber, bool privateFile, RemovalBatchFile* batch);

// Writes the lines into `batch` in the ANSI code page, as cmd.exe reads them. Returns 0, the
// Windows error, or kUnsafeBatchPath (logged) when a path is not IsSafeInBatchLine or has no exact
// ANSI form.
ResultCode WriteRemovalBatchFile(const RemovalBatchFile& batch,
                                 const std::vector<std::wstring>& handOverFiles,
                                 const std::wstring& copyExecutable,
                                 const std::wstring& copyFolder);

// Started by the temporary copy as it ends, hidden, from the batch file's own folder: the copy's
// folder, its current directory, could not be removed while the batch file ran from it.
void StartRemovalBatchFile(const std::wstring& path);

}  // namespace updater
