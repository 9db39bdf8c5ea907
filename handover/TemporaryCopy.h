#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "catalogue/UpdateInfo.h"
#include "config/RunContext.h"
#include "config/RunSwitches.h"

namespace updater {

class ClientConfig;

// The files the installed updater leaves for its temporary copy, which runs the download, the
// wizard and the installation while the installed executable may be replaced.
struct TemporaryCopy {
  std::wstring folder;          // the user's temporary folder + MD5 of the installed updater path
  std::wstring executable;      // folder \ base name ".exe"
  std::wstring handOverFile;    // folder \ base name ".ini"
  std::wstring updateListFile;  // folder \ base name ".dat"
  std::wstring batchFile;       // in the user's temporary folder
  std::wstring arguments;       // the copy's command line after its executable
  // What this run made, all that a failed preparation removes: the files of a copy still running
  // from the same folder stay.
  bool createdFolder = false;
  std::vector<std::wstring> createdFiles;
};

// What the installed updater passes on to the copy.
struct InstallHandOver {
  std::wstring installedUpdaterPath;
  std::wstring clientConfigPath;
  RunSwitches switches;
  std::wstring urlOverride;
  std::wstring kind;
  std::wstring credentialsArgument;
  // The publisher's message, for the copy's selected-updates file; may be null.
  ServerMessageWriter writeMessage;
};

// The paths of a copy of the installed updater in `folder` (given without a trailing "\\").
TemporaryCopy TemporaryCopyIn(const std::wstring& folder, const std::wstring& installedUpdaterPath);

// The paths of the copy; `tempPath` as GetTempPathW gives it, `folderName` from
// TemporaryFolderName. The base name is the installed updater's file name without extension.
TemporaryCopy TemporaryCopyLayout(const std::wstring& tempPath, const std::wstring& folderName,
                                  const std::wstring& installedUpdaterPath);

// "/install KIND "HANDOVER" [CREDENTIALS]". The hand-over path is quoted, since the user's
// temporary folder may contain blanks and the copy splits its command line at blanks.
std::wstring TemporaryCopyArguments(const std::wstring& kind, const std::wstring& handOverFile,
                                    const std::wstring& credentialsArgument);

bool HasUpdateSelectedForInstall(const UpdateList& updates);

// 32 lower-case hexadecimal digits of the MD5 of the path in the ANSI code page, so that the same
// installed updater always uses the same folder.
std::wstring TemporaryFolderName(const std::wstring& installedUpdaterPath);

// Copies `sourceExecutable` into the temporary folder of the installed updater (created when
// missing, reused otherwise), overwriting an older copy. kLinkedFolder (logged) when the folder is
// a junction, a symbolic link or no folder.
ResultCode CreateTemporaryCopy(const std::wstring& sourceExecutable,
                               const std::wstring& installedUpdaterPath, TemporaryCopy* copy);

// The copy, its hand-over file, the list of the needed updates and the batch file that removes
// them all. On failure (logged) what this run made is removed again.
ResultCode PrepareTemporaryCopy(const std::wstring& sourceExecutable, const InstallHandOver& handOver,
                                const UpdateList& updates, TemporaryCopy* copy);

// The copy that serves one request of the support service, made from the installed updater in a
// fresh private folder of the user's temporary folder (the service's user may have one from an
// earlier request still running, and another user must not be able to put files in it), with the
// hand-over file the server reads and the batch file that removes them; `arguments` are
// "/runserver "HANDOVER"". On failure what it made is removed again.
ResultCode PrepareServerCopy(const std::wstring& installedUpdaterPath,
                             const std::wstring& clientConfigPath, const std::wstring& ipcBaseName,
                             TemporaryCopy* copy);

// Starts the copy with its folder as current directory; when CreateProcessW fails the shell is
// asked once. Returns 0 when the copy runs, else the error of CreateProcessW. `process`, when
// given, receives the copy's process, if the shell gave it.
ResultCode StartTemporaryCopy(const TemporaryCopy& copy, KernelHandle* process = nullptr);

// Deletes what the preparation of a copy that never ran made.
void RemoveTemporaryCopy(const TemporaryCopy& copy);

// The copy a check started, which records the outcome of its run itself.
struct RunningCopy {
  bool started = false;
  KernelHandle process;  // empty when the shell that started the copy gave none
};

// The end of a check that selected updates: makes the temporary copy of the running updater and
// starts it with /install `kind` and `credentials` (left out, logged, when they cannot be
// protected). 0 when no update is selected or the copy was started (noted in `running`), else the
// Windows error or result code that kept it from starting; ERROR_INVALID_PARAMETER for no kind.
ResultCode InstallThroughTemporaryCopy(const ClientConfig& config, const RunContext& run,
                                       const UpdateList& updates, const std::wstring& kind,
                                       const std::wstring& urlOverride,
                                       const UserCredentials& credentials,
                                       const ServerMessageWriter& writeMessage,
                                       RunningCopy* running);

// Waits for the copy to end and returns its exit code; 0 when there is no process to wait for.
ResultCode WaitForTemporaryCopy(const RunningCopy& running);

}  // namespace updater
