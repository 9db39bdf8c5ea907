#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// The work of one start of the service.
class ServiceRequestHandler {
 public:
  virtual ~ServiceRequestHandler() = default;
  // Before the service reports itself running; -1 stops it at once.
  virtual int Prepare() = 0;
  // The start arguments: the service's name, then what its starter passed. The result becomes
  // the service's exit code.
  virtual ResultCode Handle(const std::vector<std::wstring>& arguments) = 0;
  // Called on the dispatcher's thread when the service is asked to stop or the system shuts down.
  virtual void Stop() = 0;
};

// Connects this process to the service control manager as the service `name` (for the log) and
// serves one start through `handler`; returns when the service has stopped. 0 or the Windows
// error of the dispatcher.
ResultCode RunService(const std::wstring& name, ServiceRequestHandler& handler);

}  // namespace updater
