#include "base/PrivateFolder.h"

#include <windows.h>
#include <sddl.h>

#include "base/UniqueHandle.h"

namespace updater {
namespace {

// A name GetTempFileNameW made may be taken by someone else between its deletion and the
// folder's creation; a few fresh names are enough to get past that.
constexpr int kFreshNameAttempts = 8;

}  // namespace

ResultCode CreatePrivateFolder(const std::wstring& path) {
  // Protected, so nothing is inherited; what is created inside inherits these two entries.
  LocalSecurityDescriptor descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
          L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)", SDDL_REVISION_1, descriptor.Put(), nullptr)) {
    return GetLastError();
  }
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes)) return GetLastError();
  return kSuccess;
}

ResultCode CreateFreshPrivateFolder(const std::wstring& parent, const wchar_t* prefix,
                                    std::wstring* folder) {
  ResultCode result = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < kFreshNameAttempts && result == ERROR_ALREADY_EXISTS;
       ++attempt) {
    wchar_t name[MAX_PATH] = {};
    if (!GetTempFileNameW(parent.c_str(), prefix, 0, name)) return GetLastError();
    DeleteFileW(name);
    result = CreatePrivateFolder(name);
    if (result == kSuccess) *folder = name;
  }
  return result;
}

}  // namespace updater
