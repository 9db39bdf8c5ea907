#include "base/OsVersion.h"

namespace updater {

bool ReadRealOsVersion(OSVERSIONINFOEXW* version) {
  *version = OSVERSIONINFOEXW{};
  version->dwOSVersionInfoSize = sizeof(*version);
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOEXW*);
  const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  if (ntdll == nullptr) return false;
  // Through void (*)() since that is the one cast between function types GCC does not flag.
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void (*)()>(GetProcAddress(ntdll, "RtlGetVersion")));
  return rtlGetVersion != nullptr && rtlGetVersion(version) == 0;
}

bool IsWindows10OrLater() {
  OSVERSIONINFOEXW version;
  return ReadRealOsVersion(&version) && version.dwMajorVersion >= 10;
}

bool IsWindows64Bit() {
#ifdef _WIN64
  return true;
#else
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  if (kernel == nullptr) return false;
  const auto isWow64Process = reinterpret_cast<IsWow64ProcessFunction>(
      reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  BOOL wow64 = FALSE;
  return isWow64Process != nullptr && isWow64Process(GetCurrentProcess(), &wow64) && wow64;
#endif
}

}  // namespace updater
