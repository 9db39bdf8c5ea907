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

}  // namespace updater
