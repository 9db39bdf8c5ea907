#include "transfer/PartialFile.h"

#include <sddl.h>
#include <shlobj.h>

#include "base/Logger.h"

namespace updater {

namespace {

constexpr wchar_t kSharedFileSecurity[] = L"D:(A;;GA;;;WD)(A;;GA;;;SY)";

std::wstring ParentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

ResultCode CreateParentFolders(const std::wstring& path) {
  const std::wstring folder = ParentFolder(path);
  if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return kSuccess;
  }
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS ? kSuccess
                                                                   : static_cast<ResultCode>(result);
}

// The partial file, created with the Everyone/LocalSystem DACL when `shared`.
HANDLE CreateFileForDownload(const std::wstring& path, DWORD disposition, bool shared) {
  LocalSecurityDescriptor descriptor;
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof(security);
  if (shared && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                    kSharedFileSecurity, SDDL_REVISION_1, descriptor.Put(), nullptr)) {
    security.lpSecurityDescriptor = descriptor.Get();
  }
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

DWORD PartialFileSize(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) &&
      data.nFileSizeHigh == 0) {
    return data.nFileSizeLow;
  }
  return 0;
}

ResultCode CreatePartialFile(DownloadJob& job, FileHandle* file) {
  ResultCode result = CreateParentFolders(job.partialPath);
  if (result != kSuccess) {
    Log(kLogTrace, L"CreateSubFolders() failed");
    return job.Fail(job.partialPath, result);
  }
  const DWORD offset = job.resumeOffset;
  file->Reset(CreateFileForDownload(job.partialPath, offset != 0 ? OPEN_EXISTING : CREATE_ALWAYS,
                                    job.settings.sharedFileAccess && offset == 0));
  if (*file && offset != 0) {
    LARGE_INTEGER end;
    end.QuadPart = offset;
    // Bytes beyond the offset the server accepted would otherwise stay behind the new ones.
    if (!SetFilePointerEx(file->Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file->Get())) {
      file->Reset();
    }
  }
  if (*file) return kSuccess;
  result = GetLastError();
  Log(kLogTrace, L"Creation of file to download on disk failed");
  if (job.IsCanceled()) return kCanceled;
  return job.Fail(job.partialPath, result);
}

ResultCode MovePartialToDestination(DownloadJob& job) {
  const std::wstring& destination = job.destination;
  DeleteFileW(destination.c_str());
  if (MoveFileW(job.partialPath.c_str(), destination.c_str())) return kSuccess;
  if (CopyFileW(job.partialPath.c_str(), destination.c_str(), FALSE)) {
    DeleteFileW(job.partialPath.c_str());
    return kSuccess;
  }
  const ResultCode result = GetLastError();
  job.Report(destination, result);
  return result;
}

}  // namespace updater
