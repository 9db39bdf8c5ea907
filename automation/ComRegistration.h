#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// The ProgID by which scripts create the class `classId` ("{...}"): "Tovan." and the class id's
// 32 hexadecimal digits in upper case, which keeps it unique per application and within the
// 39 characters a ProgID may have. Empty for a text that is not a class id.
std::wstring ProgIdOf(const std::wstring& classId);

// The LocalServer32 command COM starts the server with (COM appends " -Embedding").
std::wstring LocalServerCommand(const std::wstring& executablePath, const std::wstring& classId);

// Registers the class, its ProgID and the type library carried by `executablePath` for every
// user (HKLM\Software\Classes; Wine does not start local servers registered per user).
ResultCode RegisterAutomation(const std::wstring& classId, const std::wstring& executablePath);

// Removes what RegisterAutomation wrote; the type library only while it is registered from
// `executablePath`, since the updaters of other applications register the same library.
ResultCode UnregisterAutomation(const std::wstring& classId, const std::wstring& executablePath);

}  // namespace updater
