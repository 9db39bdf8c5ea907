#pragma once

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// Runs one downloaded update's installer to its end and gives the installation's result: here,
// or through whatever else can install it (the support service for Advertises updates), as the
// front end that hands the session a runner of its own decides.
class InstallerRunner {
 public:
  virtual ~InstallerRunner() = default;
  virtual ResultCode Run(const UpdateInfo& update) = 0;
};

// Starts the installer from this process and maps its exit code (InstallerExitResult).
class DirectInstallerRunner : public InstallerRunner {
 public:
  explicit DirectInstallerRunner(bool forceMsiBasicUi) : forceMsiBasicUi_(forceMsiBasicUi) {}
  ResultCode Run(const UpdateInfo& update) override;

 private:
  bool forceMsiBasicUi_;
};

}  // namespace updater
