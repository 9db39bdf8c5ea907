#include "catalogue/FileVersion.h"

#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <vector>

#include "base/OsVersion.h"
#include "base/UserTempPath.h"


namespace updater {
namespace {

bool ReadFileVersionInPlace(const std::wstring& path, VersionNumber* out) {
  *out = VersionNumber();
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return false;
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &infoSize) ||
      info == nullptr || infoSize < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  wchar_t text[64];
  swprintf(text, sizeof(text) / sizeof(text[0]), L"%d.%d.%d.%d",
           static_cast<int>(HIWORD(info->dwFileVersionMS)),
           static_cast<int>(LOWORD(info->dwFileVersionMS)),
           static_cast<int>(HIWORD(info->dwFileVersionLS)),
           static_cast<int>(LOWORD(info->dwFileVersionLS)));
  return out->Parse(text);
}

std::wstring WindowsFolder() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_WINDOWS, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return std::wstring();
  }
  return folder;
}

// Copies with the WOW64 redirection switched off, so that a 32-bit process reads the system32
// file it was named and not its SysWOW64 namesake. The functions are missing on 32-bit Windows,
// where there is nothing to switch off.
bool CopyWithoutRedirection(const std::wstring& from, const std::wstring& to) {
  using DisableFunction = BOOL(WINAPI*)(PVOID*);
  using RevertFunction = BOOL(WINAPI*)(PVOID);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  const auto disable = reinterpret_cast<DisableFunction>(reinterpret_cast<void*>(
      GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
  const auto revert = reinterpret_cast<RevertFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
  PVOID oldValue = nullptr;
  const bool disabled = disable != nullptr && revert != nullptr && disable(&oldValue);
  const bool copied = CopyFileW(from.c_str(), to.c_str(), FALSE) != FALSE;
  if (disabled) revert(oldValue);
  return copied;
}

}  // namespace

bool MustCopyBeforeVersionRead(const std::wstring& path, const std::wstring& windowsFolder,
                               bool isWindows10OrLater) {
  if (!isWindows10OrLater || windowsFolder.empty() || path.size() < windowsFolder.size()) {
    return false;
  }
  return CompareStringOrdinal(path.c_str(), static_cast<int>(windowsFolder.size()),
                              windowsFolder.c_str(), static_cast<int>(windowsFolder.size()),
                              TRUE) == CSTR_EQUAL;
}

bool ReadFileVersionThroughCopy(const std::wstring& path, VersionNumber* out) {
  const std::wstring tempFolder = UserTempPath();
  wchar_t copyPath[MAX_PATH] = {};
  if (tempFolder.empty() ||
      GetTempFileNameW(tempFolder.c_str(), L"shim_clone", 0, copyPath) == 0) {
    return ReadFileVersionInPlace(path, out);
  }
  // GetTempFileNameW created the file, so it is removed on either road.
  const bool copied = CopyWithoutRedirection(path, copyPath);
  const bool read = copied && ReadFileVersionInPlace(copyPath, out);
  DeleteFileW(copyPath);
  return copied ? read : ReadFileVersionInPlace(path, out);
}

bool ReadFileVersion(const std::wstring& path, VersionNumber* out) {
  if (MustCopyBeforeVersionRead(path, WindowsFolder(), IsWindows10OrLater())) {
    return ReadFileVersionThroughCopy(path, out);
  }
  return ReadFileVersionInPlace(path, out);
}

}  // namespace updater
