#pragma once

#include <string>

#include "catalogue/VersionNumber.h"

namespace updater {

// The file version of the file's version resource, as "%d.%d.%d.%d" parsed into *out. False,
// with *out all zero, when the file has no readable version resource. Files in the Windows
// folder are read from a copy on Windows 10 and later (see MustCopyBeforeVersionRead).
bool ReadFileVersion(const std::wstring& path, VersionNumber* out);

// Windows 10 and later answer version queries on system files through the compatibility layer,
// which can report another version than the file holds; a copy outside the Windows folder is
// read as it is. True when the path begins with the Windows folder (compared without regard to
// case, as the file system does) on Windows 10 or later.
bool MustCopyBeforeVersionRead(const std::wstring& path, const std::wstring& windowsFolder,
                               bool isWindows10OrLater);

// Reads the version from a temporary copy ("shim_clone" prefix, deleted afterwards) made with
// the WOW64 file-system redirection switched off; reads in place when the copy fails.
bool ReadFileVersionThroughCopy(const std::wstring& path, VersionNumber* out);

}  // namespace updater
