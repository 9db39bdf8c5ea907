#pragma once

#include <windows.h>

namespace updater {

// The reply code at the start of an FTP server's last response text ("350 Restarting at 10."),
// 0 when there is none.
int ParseFtpReplyCode(const wchar_t* response);

// The size in a reply to SIZE ("213 1500"); false when the reply is not a 213 with a number.
bool ParseFtpSize(const wchar_t* response, DWORD* size);

// Whether the server accepted REST: its reply code says so when the reply text is known (350);
// Wine keeps no text of a reply that was not an error, and then the command's success decides.
bool IsRestAccepted(bool commandSucceeded, const wchar_t* response);

}  // namespace updater
