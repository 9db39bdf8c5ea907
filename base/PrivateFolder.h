#pragma once

#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"

namespace updater {

// What CreatePrivateFolder and CreatePrivateFile give what they make (SDDL): protected, so nothing
// is inherited; what is created inside a folder inherits these entries.
constexpr wchar_t kPrivateAccess[] = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)";

// A new folder that only LocalSystem and the Administrators can open, whatever the folder above
// lets others do (the Windows temporary folder lets every user create files in what it holds).
// Fails with ERROR_ALREADY_EXISTS rather than take over a folder somebody else made first.
ResultCode CreatePrivateFolder(const std::wstring& path);

// A new file, open for writing, with the access `dacl` (SDDL) gives. Fails with ERROR_FILE_EXISTS
// rather than open a file somebody else made first.
ResultCode CreateNewFileWithAccess(const std::wstring& path, const std::wstring& dacl,
                                   FileHandle* file);

// A new file as above that only LocalSystem and the Administrators can open.
ResultCode CreatePrivateFile(const std::wstring& path, FileHandle* file);

// A private folder with a fresh name in `parent` (ending in "\"): `prefix` and 16 hexadecimal
// digits from the system's random source, so that nobody can make a name of this program's in
// advance. `folder` gets the path without a trailing "\".
ResultCode CreateFreshPrivateFolder(const std::wstring& parent, const wchar_t* prefix,
                                    std::wstring* folder);

}  // namespace updater
