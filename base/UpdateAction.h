#pragma once

#include <cstdint>

namespace updater {

// The steps an update session reports. The numbers are those its callers see (an automation
// client's action ids), so they are named here, below every layer that reports or shows a step.
enum class UpdateAction : std::int32_t {
  DownloadFile = 1,
  InstallOne = 2,
  InstallBatch = 3,
  DownloadBatch = 101,
  CheckMd5 = 102,
  InstallStep = 103,
  CheckSha256 = 105,
};

}  // namespace updater
