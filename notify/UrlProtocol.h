#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

// The open command of the URL protocol: the executable's path in quotes, since a path with a
// blank (C:\Program Files\...) would otherwise start "C:\Program", then the clicked URL.
std::wstring ProtocolOpenCommand(const std::wstring& executablePath);

// Registers `scheme` under root's "Software\Classes" to start `executablePath` with the clicked
// URL. An existing registration (its open command readable) is left as it is, whatever program
// it names. Returns 0 or the Windows error of the first write.
ResultCode RegisterProtocol(HKEY root, const std::wstring& scheme,
                            const std::wstring& executablePath);

// Deletes the registration's keys from the innermost out; a key that is missing is no failure.
void UnregisterProtocol(HKEY root, const std::wstring& scheme);

}  // namespace updater
