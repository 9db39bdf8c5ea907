#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

class ClientConfig;

// Starts the application named by -restartapp with its -restartappcmd arguments, both expanded
// like configuration paths, and brings its first top-level window to the front.
ResultCode StartApplication(const std::wstring& path, const std::wstring& arguments,
                            const ClientConfig& config);

}  // namespace updater
