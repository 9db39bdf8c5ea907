#include "service/ServiceLocation.h"

#include <windows.h>

#include <vector>

#include "base/Logger.h"
#include "base/ObjectAccessReader.h"
#include "base/ResultText.h"
#include "config/ClientConfig.h"

namespace updater {
namespace {

std::wstring FolderOf(const std::wstring& path) {
  const std::wstring folder = path.substr(0, path.rfind(L'\\'));
  // "C:" alone names the current folder of the drive, not its root.
  return folder.size() == 2 && folder[1] == L':' ? folder + L"\\" : folder;
}

ResultCode CheckPath(const std::wstring& path, const std::vector<std::wstring>& trusted,
                     bool mayBeMissing) {
  ObjectAccess access;
  const ResultCode read = ReadFileAccess(path, &access);
  if (read == ERROR_FILE_NOT_FOUND && mayBeMissing) return kSuccess;
  if (read != kSuccess) {
    Log(kLogError, L"Unable to read who may change " + path + L": " + ResultText(read));
    return read;
  }
  const AccessGrant grant = FindGrantOf(GrantsToOthers(access, trusted), kFileChangeRights);
  if (grant.sid.empty()) return kSuccess;
  Log(kLogError, FormatText(L"Refused to register the service: %s may be changed by %s "
                            L"(rights 0x%X).",
                            path.c_str(), grant.sid.c_str(), grant.rights));
  return kUnsafeServiceLocation;
}

}  // namespace

ResultCode CheckServiceLocation(const std::wstring& executablePath) {
  std::vector<std::wstring> trusted = {kLocalSystemSid, kAdministratorsSid, kTrustedInstallerSid};
  std::wstring user;
  if (const ResultCode found = CurrentUserSid(&user)) return found;
  trusted.push_back(user);
  const std::wstring clientConfig = IniPathBesideExecutable(executablePath);
  ResultCode result = CheckPath(FolderOf(executablePath), trusted, false);
  if (result == kSuccess) result = CheckPath(executablePath, trusted, false);
  if (result == kSuccess) result = CheckPath(clientConfig, trusted, true);
  return result;
}

}  // namespace updater
