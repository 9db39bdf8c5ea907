#pragma once

#include <windows.h>

namespace updater {

// The version of the running system as RtlGetVersion reports it: GetVersionExW answers only what
// the executable's manifest allows. False, with `version` zeroed, when it cannot be read.
bool ReadRealOsVersion(OSVERSIONINFOEXW* version);

bool IsWindows10OrLater();

}  // namespace updater
