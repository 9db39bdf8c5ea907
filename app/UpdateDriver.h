#pragma once

#include <windows.h>

#include "app/CommandLine.h"
#include "app/HandOverFile.h"
#include "app/ResultCode.h"
#include "app/RunMode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class ClientConfig;
class InstanceLock;
class UpdateCheck;

// The handlers of the update modes: the checks of the installed updater (/checknow, the silent
// modes, /justcheck) and the /install modes of its temporary copy. The configuration was validated
// and prepared by the caller; the caller also performs the common ending.
class UpdateDriver {
 public:
  UpdateDriver(ClientConfig& config, const CommandLine& commandLine, const HandOverFile& handOver);
  UpdateDriver(const UpdateDriver&) = delete;
  UpdateDriver& operator=(const UpdateDriver&) = delete;

  // Runs the handler of the command line's mode.
  ResultCode Run();

  // Set when the user cancelled the wait window.
  bool ApplicationMustRestart() const { return applicationMustRestart_; }
  // The mode after the run: /install silent becomes silentall or silentcritical by policy.
  RunMode Mode() const { return mode_; }

 private:
  ResultCode CheckNow();
  ResultCode SilentCheck();
  ResultCode JustCheck();
  ResultCode Install();
  ResultCode SilentInstall(UpdateList& updates);

  // The check on a worker thread under the wait window; `waitAfterCancelMs` bounds the wait for
  // the worker once the user cancelled.
  ResultCode CheckInWindow(UpdateCheck& check, InstanceLock& lock, DWORD waitAfterCancelMs);
  void WireHandOver(UpdateCheck& check) const;

  ClientConfig& config_;
  const CommandLine& commandLine_;
  const HandOverFile& handOver_;
  RunMode mode_;
  bool applicationMustRestart_ = false;
};

}  // namespace updater
