#include "publisher/KeyFile.h"

#include <windows.h>

#include "base/ObjectAccessReader.h"
#include "base/PrivateFolder.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"

namespace updater {

ResultCode WritePrivateKeyFile(const std::wstring& path, const std::string& bytes) {
  std::wstring user;
  if (const ResultCode found = CurrentUserSid(&user)) return found;
  // Protected, so that nothing is inherited. The user's own SID rather than OWNER RIGHTS, which
  // Wine drops.
  FileHandle file;
  if (const ResultCode made =
          CreateNewFileWithAccess(path, L"D:P(A;;FA;;;" + user + L")(A;;FA;;;SY)", &file)) {
    return made;
  }
  ResultCode result = kSuccess;
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size() || !FlushFileBuffers(file.Get())) {
    result = LastErrorOr(ERROR_WRITE_FAULT);
  }
  // Closed here rather than by its owner, since a failed close can lose what was written.
  if (!CloseHandle(file.Release()) && result == kSuccess) result = LastErrorOr(ERROR_WRITE_FAULT);
  if (result != kSuccess) DeleteFileW(path.c_str());
  return result;
}

ResultCode FindOtherKeyReader(const std::wstring& path, std::wstring* reader) {
  ObjectAccess access;
  if (const ResultCode read = ReadFileAccess(path, &access)) return read;
  const std::vector<AccessGrant> others =
      GrantsToOthers(access, {access.owner, kLocalSystemSid, kAdministratorsSid});
  *reader = FindGrantOf(others, FILE_READ_DATA).sid;
  return kSuccess;
}

}  // namespace updater
