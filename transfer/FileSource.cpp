#include "transfer/FileSource.h"

#include <string>

#include "transfer/CredentialProvider.h"

namespace updater {

namespace {

constexpr wchar_t kShareRealm[] = L"Local Network Server";

// "\\server\share" of a UNC path; empty for a drive path.
std::wstring ShareOf(const std::wstring& path) {
  if (path.compare(0, 2, L"\\\\") != 0) return std::wstring();
  const size_t server = path.find(L'\\', 2);
  if (server == std::wstring::npos) return std::wstring();
  return path.substr(0, path.find(L'\\', server + 1));
}

ResultCode FindFile(DownloadJob& job, const std::wstring& path, WIN32_FILE_ATTRIBUTE_DATA* data) {
  bool found = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, data) != FALSE;
  ResultCode result = found ? kSuccess : GetLastError();
  const std::wstring share = ShareOf(path);
  std::wstring user;
  std::wstring password;
  while (!found && !share.empty() &&
         (result == ERROR_LOGON_FAILURE || result == ERROR_INVALID_PASSWORD ||
          result == ERROR_BAD_USERNAME || result == ERROR_ACCESS_DENIED)) {
    if (!job.ObtainCredentials(kShareRealm, std::wstring(), &user, &password)) return result;
    job.credentials->CredentialsUsed();
    NETRESOURCEW resource = {};
    resource.dwType = RESOURCETYPE_DISK;
    resource.lpRemoteName = const_cast<wchar_t*>(share.c_str());
    result = WNetAddConnection2W(&resource, password.c_str(), user.c_str(), 0);
    if (result == kSuccess) {
      found = GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, data) != FALSE;
      result = found ? kSuccess : GetLastError();
    }
  }
  return result;
}

}  // namespace

ResultCode OpenFileSource(DownloadJob& job, const SourceUrl& url, std::uint64_t* total) {
  if (job.credentials != nullptr) job.credentials->BeginRequest();
  WIN32_FILE_ATTRIBUTE_DATA data;
  const ResultCode result = FindFile(job, url.path, &data);
  if (result != kSuccess) return result;
  *total = (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  const SYSTEMTIME& since = job.settings.ifModifiedSince;
  if (job.settings.queryLastModified || since.wYear != 0) {
    FileTimeToSystemTime(&data.ftLastWriteTime, &job.lastModified);
    FILETIME sinceTime;
    if (since.wYear != 0 && SystemTimeToFileTime(&since, &sinceTime) &&
        CompareFileTime(&data.ftLastWriteTime, &sinceTime) <= 0) {
      return kNotModified;
    }
  }
  job.sourceFile.Reset(CreateFileW(url.path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!job.sourceFile) return GetLastError();
  job.resumeOffset = 0;
  return kSuccess;
}

}  // namespace updater
