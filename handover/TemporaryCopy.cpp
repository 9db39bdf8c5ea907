#include "handover/TemporaryCopy.h"

#include <windows.h>

#include <algorithm>
#include <utility>

#include "base/AnsiText.h"
#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/PathKind.h"
#include "base/PrivateFolder.h"
#include "base/ProcessStart.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "base/UserTempPath.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "config/ClientConfig.h"
#include "config/RunContext.h"
#include "handover/CredentialsArgument.h"
#include "handover/HandOverFile.h"
#include "handover/RemovalBatchFile.h"
#include "transfer/Md5.h"

namespace updater {
namespace {

// Notes `path` as made by this run when nothing is there before the run writes it.
void NoteIfNew(const std::wstring& path, TemporaryCopy* copy) {
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
    copy->createdFiles.push_back(path);
  }
}

// Writes `values` into the copy's hand-over file together with the batch file, named with
// `batchPrefix` in the user's temporary folder, that removes it, `otherFiles` and the copy.
ResultCode WriteHandOverAndRemoval(HandOverFile values, const wchar_t* batchPrefix,
                                   bool privateBatch, std::vector<std::wstring> otherFiles,
                                   TemporaryCopy* copy) {
  RemovalBatchFile batch;
  ResultCode result =
      CreateRemovalBatchFile(UserTempPath(), batchPrefix, GetTickCount(), privateBatch, &batch);
  if (result != kSuccess) return result;
  copy->batchFile = batch.path;
  copy->createdFiles.push_back(batch.path);

  values.uninstallFilePath = copy->batchFile;
  NoteIfNew(copy->handOverFile, copy);
  result = WriteHandOverFile(copy->handOverFile, values);
  if (result != kSuccess) return result;
  otherFiles.insert(otherFiles.begin(), copy->handOverFile);
  return WriteRemovalBatchFile(batch, otherFiles, copy->executable, copy->folder);
}

ResultCode WriteHandOverFiles(const InstallHandOver& handOver, const UpdateList& updates,
                              TemporaryCopy* copy) {
  NoteIfNew(copy->updateListFile, copy);
  const ResultCode result = WriteSelectedUpdates(copy->updateListFile, updates, false, handOver.writeMessage);
  if (result != kSuccess) return result;
  copy->arguments =
      TemporaryCopyArguments(handOver.kind, copy->handOverFile, handOver.credentialsArgument);

  HandOverFile values;
  values.realUpdaterPath = handOver.installedUpdaterPath;
  values.clientConfigPath = handOver.clientConfigPath;
  values.serverConfigPath = copy->updateListFile;
  values.url = handOver.urlOverride;
  values.switches = handOver.switches;
  return WriteHandOverAndRemoval(values, L"qzu", false, {copy->updateListFile}, copy);
}

// Copies the updater into the copy's folder, overwriting an older copy.
ResultCode CopyExecutable(const std::wstring& sourceExecutable, TemporaryCopy* copy) {
  NoteIfNew(copy->executable, copy);
  if (!CopyFileW(sourceExecutable.c_str(), copy->executable.c_str(), FALSE)) {
    return GetLastError();
  }
  // A read-only installed executable would otherwise give a copy the batch file cannot delete.
  SetFileAttributesW(copy->executable.c_str(), FILE_ATTRIBUTE_NORMAL);
  return kSuccess;
}

}  // namespace

TemporaryCopy TemporaryCopyIn(const std::wstring& folder,
                              const std::wstring& installedUpdaterPath) {
  TemporaryCopy copy;
  copy.folder = folder;
  const std::wstring base = copy.folder + L"\\" + ExecutableBaseName(installedUpdaterPath);
  copy.executable = base + L".exe";
  copy.handOverFile = base + L".ini";
  copy.updateListFile = base + L".dat";
  return copy;
}

TemporaryCopy TemporaryCopyLayout(const std::wstring& tempPath, const std::wstring& folderName,
                                  const std::wstring& installedUpdaterPath) {
  std::wstring folder = tempPath;
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return TemporaryCopyIn(folder + folderName, installedUpdaterPath);
}

std::wstring TemporaryCopyArguments(const std::wstring& kind, const std::wstring& handOverFile,
                                    const std::wstring& credentialsArgument) {
  std::wstring arguments = L"/install " + kind + L" \"" + handOverFile + L"\"";
  if (!credentialsArgument.empty()) arguments += L" " + credentialsArgument;
  return arguments;
}

bool HasUpdateSelectedForInstall(const UpdateList& updates) {
  return std::any_of(updates.updates.begin(), updates.updates.end(),
                     [](const UpdateInfo& update) { return update.selectedForInstall; });
}

std::wstring TemporaryFolderName(const std::wstring& installedUpdaterPath) {
  return Md5HexDigest(ToAnsiText(installedUpdaterPath));
}

ResultCode CreateTemporaryCopy(const std::wstring& sourceExecutable,
                               const std::wstring& installedUpdaterPath, TemporaryCopy* copy) {
  const std::wstring tempPath = UserTempPath();
  if (tempPath.empty()) return LastErrorOr(ERROR_PATH_NOT_FOUND);
  *copy = TemporaryCopyLayout(tempPath, TemporaryFolderName(installedUpdaterPath),
                              installedUpdaterPath);

  if (CreateDirectoryW(copy->folder.c_str(), nullptr)) {
    copy->createdFolder = true;
  } else if (GetLastError() != ERROR_ALREADY_EXISTS) {
    return GetLastError();
  }
  // A folder kept from an earlier run may have become a junction or symbolic link since, through
  // which the copy would be written and run from wherever it points.
  if (PathKindOf(copy->folder) != PathKind::Folder) {
    Log(kLogError, L"Refused the temporary folder, a link or no folder: " + copy->folder);
    return kLinkedFolder;
  }
  return CopyExecutable(sourceExecutable, copy);
}

ResultCode PrepareTemporaryCopy(const std::wstring& sourceExecutable, const InstallHandOver& handOver,
                                const UpdateList& updates, TemporaryCopy* copy) {
  ResultCode result = CreateTemporaryCopy(sourceExecutable, handOver.installedUpdaterPath, copy);
  if (result == kSuccess) result = WriteHandOverFiles(handOver, updates, copy);
  // Runs started together race for the one copy; the losers hold a file the winner has open.
  if (result == ERROR_SHARING_VIOLATION) {
    Log(kLogInfo, L"Another run is preparing the temporary copy in " + copy->folder);
    RemoveTemporaryCopy(*copy);
    return kAnotherInstance;
  }
  if (result != kSuccess) {
    Log(kLogError, L"Failed to prepare the temporary copy in " + copy->folder +
                       L" LastError: " + ResultText(result));
    RemoveTemporaryCopy(*copy);
  }
  return result;
}

ResultCode PrepareServerCopy(const std::wstring& installedUpdaterPath,
                             const std::wstring& clientConfigPath, const std::wstring& ipcBaseName,
                             TemporaryCopy* copy) {
  const std::wstring tempPath = UserTempPath();
  if (tempPath.empty()) return LastErrorOr(ERROR_PATH_NOT_FOUND);
  std::wstring folder;
  ResultCode result = CreateFreshPrivateFolder(tempPath, L"qzu", &folder);
  if (result != kSuccess) return result;
  *copy = TemporaryCopyIn(folder, installedUpdaterPath);
  copy->createdFolder = true;
  copy->arguments = L"/runserver \"" + copy->handOverFile + L"\"";

  HandOverFile values;
  values.clientConfigPath = clientConfigPath;
  values.ipcObjectNameBase = ipcBaseName;
  values.realUpdaterPath = installedUpdaterPath;
  result = CopyExecutable(installedUpdaterPath, copy);
  // The batch file cannot live in the folder it removes, which stays open while it runs; beside
  // it, it is private too, so that no other user can change what it runs as LocalSystem.
  if (result == kSuccess) result = WriteHandOverAndRemoval(values, L"UPD", true, {}, copy);
  if (result != kSuccess) RemoveTemporaryCopy(*copy);
  return result;
}

ResultCode StartTemporaryCopy(const TemporaryCopy& copy, KernelHandle* process) {
  Log(kLogTrace, L"Running temp updater from path: " + copy.executable);
  // The copy reads its arguments after its own quoted path, as from any other command line.
  const ProgramStart start{copy.executable, L"\"" + copy.executable + L"\" " + copy.arguments,
                           copy.folder};
  KernelHandle started;
  const ResultCode error = StartProgram(start, &started);
  if (error == kSuccess) {
    // The copy has no window yet; this lets its first window come to the foreground.
    AllowSetForegroundWindow(GetProcessId(started.Get()));
    if (process != nullptr) *process = std::move(started);
    return kSuccess;
  }
  const ShellOpen shell{copy.executable, copy.arguments, copy.folder};
  // A copy the shell started runs like any other: ending with an error now would show an error
  // box and restart the application in the middle of its update.
  return OpenThroughShell(shell, process) == kSuccess ? kSuccess : error;
}

void RemoveTemporaryCopy(const TemporaryCopy& copy) {
  for (const std::wstring& file : copy.createdFiles) DeleteFileW(file.c_str());
  if (copy.createdFolder) RemoveDirectoryW(copy.folder.c_str());
}

ResultCode InstallThroughTemporaryCopy(const ClientConfig& config, const RunContext& run,
                                       const UpdateList& updates, const std::wstring& kind,
                                       const std::wstring& urlOverride,
                                       const UserCredentials& credentials,
                                       const ServerMessageWriter& writeMessage,
                                       RunningCopy* running) {
  if (!HasUpdateSelectedForInstall(updates)) return kSuccess;
  if (kind.empty()) return ERROR_INVALID_PARAMETER;
  InstallHandOver handOver;
  handOver.installedUpdaterPath =
      run.IsTemporaryCopy() ? run.realUpdaterPath : ThisExecutablePath();
  handOver.clientConfigPath = config.Path();
  handOver.switches = run.switches;
  handOver.urlOverride = urlOverride;
  handOver.kind = kind;
  const ResultCode built = FormatCredentialsArgument(credentials, &handOver.credentialsArgument);
  if (built != kSuccess) {
    Log(kLogError, L"Unable to hand the credentials over. LastError: " + ResultText(built));
  }
  handOver.writeMessage = writeMessage;

  TemporaryCopy copy;
  ResultCode result = PrepareTemporaryCopy(ThisExecutablePath(), handOver, updates, &copy);
  if (result != kSuccess) return result;
  result = StartTemporaryCopy(copy, &running->process);
  if (result != kSuccess) RemoveTemporaryCopy(copy);
  running->started = result == kSuccess;
  return result;
}

ResultCode WaitForTemporaryCopy(const RunningCopy& running) {
  // The copy runs all the same and records its outcome; only its exit code is out of reach.
  if (!running.process) {
    Log(kLogError, L"Cannot wait for the temporary copy: the shell gave no process");
    return kSuccess;
  }
  Log(kLogTrace, L"Waiting for the temporary copy to finish");
  DWORD exitCode = 0;
  if (WaitForSingleObject(running.process.Get(), INFINITE) != WAIT_OBJECT_0 ||
      !GetExitCodeProcess(running.process.Get(), &exitCode)) {
    return LastErrorOr(ERROR_GEN_FAILURE);
  }
  Log(kLogTrace, FormatText(L"Temporary copy finished. Return code: %u", exitCode));
  return exitCode;
}

}  // namespace updater
