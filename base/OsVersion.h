#pragma once

#include <windows.h>

namespace updater {

// The version of the running system as RtlGetVersion reports it: GetVersionExW answers only what
// the executable's manifest allows. False, with `version` zeroed, when it cannot be read.
bool ReadRealOsVersion(OSVERSIONINFOEXW* version);

bool IsWindows10OrLater();

// Whether the system is 64-bit Windows: always for a 64-bit build, else when this 32-bit process
// runs under WOW64 (IsWow64Process is missing on the oldest systems, which are all 32-bit).
bool IsWindows64Bit();

}  // namespace updater
