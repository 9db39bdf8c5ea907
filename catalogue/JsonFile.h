#pragma once

#include <cstddef>
#include <string>

#include "base/ResultCode.h"
#include "catalogue/Json.h"

namespace updater {

// Reads a file (refused unread above `maxBytes`) and parses it: 0, the Windows error of reading
// it, or kInvalidHeader when it is too large or no JSON.
ResultCode ReadJsonFile(const std::wstring& path, std::size_t maxBytes, JsonDocument* document);

}  // namespace updater
