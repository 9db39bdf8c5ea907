#include "base/PrivateFolder.h"

#include <windows.h>
#include <sddl.h>

#include <cwchar>

#include "base/SystemRandom.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

// A name made by someone else in between is passed over for the next.
constexpr int kFreshNameAttempts = 8;

bool RandomName(const wchar_t* prefix, std::wstring* name) {
  unsigned char bytes[8];
  if (FillRandom(bytes, sizeof(bytes)) != kSuccess) return false;
  *name = prefix;
  for (const unsigned char byte : bytes) {
    wchar_t digits[3];
    std::swprintf(digits, 3, L"%02x", byte);
    *name += digits;
  }
  return true;
}

}  // namespace

ResultCode CreatePrivateFolder(const std::wstring& path) {
  LocalSecurityDescriptor descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kPrivateAccess, SDDL_REVISION_1,
                                                            descriptor.Put(), nullptr)) {
    return GetLastError();
  }
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Get(), FALSE};
  if (!CreateDirectoryW(path.c_str(), &attributes)) return GetLastError();
  return kSuccess;
}

ResultCode CreateNewFileWithAccess(const std::wstring& path, const std::wstring& dacl,
                                   FileHandle* file) {
  LocalSecurityDescriptor descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(dacl.c_str(), SDDL_REVISION_1,
                                                            descriptor.Put(), nullptr)) {
    return GetLastError();
  }
  SECURITY_ATTRIBUTES attributes = {sizeof(attributes), descriptor.Get(), FALSE};
  file->Reset(CreateFileW(path.c_str(), GENERIC_WRITE, 0, &attributes, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
  return *file ? kSuccess : GetLastError();
}

ResultCode CreatePrivateFile(const std::wstring& path, FileHandle* file) {
  return CreateNewFileWithAccess(path, kPrivateAccess, file);
}

ResultCode CreateFreshPrivateFolder(const std::wstring& parent, const wchar_t* prefix,
                                    std::wstring* folder) {
  ResultCode result = ERROR_ALREADY_EXISTS;
  for (int attempt = 0; attempt < kFreshNameAttempts && result == ERROR_ALREADY_EXISTS;
       ++attempt) {
    std::wstring name;
    if (!RandomName(prefix, &name)) return ERROR_GEN_FAILURE;
    result = CreatePrivateFolder(parent + name);
    if (result == kSuccess) *folder = parent + name;
  }
  return result;
}

}  // namespace updater
