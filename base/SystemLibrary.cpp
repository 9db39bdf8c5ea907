#include "base/SystemLibrary.h"

namespace updater {

ResultCode RestrictDllSearchToSystemFolder() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  // Looked up, not imported: an import Windows 7 lacks would keep the program from starting.
  const HMODULE kernel32 = GetModuleHandleW(L"kernel32.dll");
  const auto setDefaultDllDirectories = reinterpret_cast<SetDefaultDllDirectoriesFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "SetDefaultDllDirectories")));
  if (setDefaultDllDirectories == nullptr) return ERROR_PROC_NOT_FOUND;
  return setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32) ? kSuccess : GetLastError();
}

HMODULE LoadSystemLibrary(const std::wstring& name) {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  return LoadLibraryW((std::wstring(folder, length) + L"\\" + name).c_str());
}

}  // namespace updater
