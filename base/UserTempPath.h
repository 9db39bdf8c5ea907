#pragma once

#include <string>

namespace updater {

// The user's temporary folder with its trailing "\"; empty when it cannot be read.
std::wstring UserTempPath();

}  // namespace updater
