#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "service/ServiceHost.h"

namespace updater {

// The arguments of a service start as the log shows them: joined by blanks, control characters
// replaced by "?" and cut after 1,000 characters, since any user may start the service with any.
std::wstring LoggableServiceArguments(const std::vector<std::wstring>& arguments);

// The support service's work for one start: the starter's base name of the command channel is
// handed to a temporary copy of the installed updater, started with /runserver, which serves the
// client's commands. The service does not wait for it.
class ServerLauncher : public ServiceRequestHandler {
 public:
  // `clientConfigPath` empty when the service's client configuration could not be loaded.
  ServerLauncher(std::wstring clientConfigPath, std::wstring installedUpdaterPath);

  int Prepare() override;
  // kServiceError (logged) unless the arguments are the service's name and a valid base name;
  // else the result of preparing and starting the copy.
  ResultCode Handle(const std::vector<std::wstring>& arguments) override;
  // Nothing runs in the service once the copy is started.
  void Stop() override;

 private:
  std::wstring clientConfigPath_;
  std::wstring installedUpdaterPath_;
};

}  // namespace updater
