#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

class ClientConfig;

// Fetches the picture of a publisher's message from `url` into `path` (in the downloads folder,
// which is made when missing) with the configuration's transfer settings, stopped as soon as the
// server announces or sends more than `maxBytes`, and gives the file the server's Last-Modified
// time. 0 or the download's failure.
ResultCode FetchMessageImage(const ClientConfig& config, const std::wstring& url,
                             const std::wstring& path, DWORD maxBytes);

}  // namespace updater
