#pragma once

#include <windows.h>

#include <string>

#include "catalogue/VersionNumber.h"

namespace updater {

// The values under HKLM "Software\Microsoft\Windows NT\CurrentVersion" that the version comes from,
// as read; an absent value is 0 or empty.
struct OsVersionValues {
  DWORD currentMajorVersionNumber = 0;
  DWORD currentMinorVersionNumber = 0;
  std::wstring currentVersion;
  std::wstring currentBuildNumber;
  std::wstring buildBranch;
};

// What the applicability of an update depends on in the operating system.
struct OsFacts {
  int major = 0;
  int minor = 0;
  int build = 0;
  // The process runs under 64-bit Windows.
  bool is64Bit = false;

  // major.minor.build.0, the value compared with an update's OS bounds.
  VersionNumber Version() const;
};

// The version from the registry values: the DWORD numbers, the "6.1" text of older systems when
// the major number is missing, and major 11 for the Windows 11 branches of build 22000 and later.
OsFacts ComputeOsFacts(const OsVersionValues& values, bool is64Bit);

// The facts of this machine, read at the first call and kept for the life of the process.
const OsFacts& CurrentOsFacts();

}  // namespace updater
