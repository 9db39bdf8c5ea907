#pragma once

#include <string>

#include "base/ResultCode.h"
#include "catalogue/VersionNumber.h"
#include "engine/InstallerRunner.h"

namespace updater {

class ClientConfig;

// Whether the command server refused the installation (kServiceError), or the installer for its
// signature or for the lack of one on the server's side: a refusal the client answers by
// installing directly, as it answers every other failure on its way to the service.
bool IsServerRefusal(ResultCode serverResult);

// The service executable's version below which the service names its channel after its own
// path rather than after the name it is started with.
bool IsLegacyServiceVersion(const VersionNumber& version);

// Installs Advertises updates through the support service, which runs their installers with
// its rights; everything else, and every update the service cannot be reached for, is installed
// directly. The reason for each fallback is in the log.
class ServiceInstallerRunner : public InstallerRunner {
 public:
  // `reference`: this updater's executable, whose publisher the installer must share before it
  // is handed over.
  ServiceInstallerRunner(const ClientConfig& config, bool forceMsiBasicUi, std::wstring reference)
      : config_(config), direct_(forceMsiBasicUi), reference_(std::move(reference)) {}

  ResultCode Run(const UpdateInfo& update) override;

 private:
  // False when the update is to be installed directly; else the service's result in `result`.
  bool InstallThroughService(const UpdateInfo& update, ResultCode* result);

  const ClientConfig& config_;
  DirectInstallerRunner direct_;
  std::wstring reference_;
};

}  // namespace updater
