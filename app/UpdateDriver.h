#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "app/CommandLine.h"
#include "handover/HandOverFile.h"
#include "app/RunMode.h"
#include "handover/TemporaryCopy.h"
#include "base/ResultCode.h"
#include "notify/MessageNotifier.h"
#include "engine/UpdatePolicy.h"
#include "ui/MessagesWindow.h"

namespace updater {

class ClientConfig;
class InstanceLock;
class SessionEvents;
class UpdateSession;
struct RunContext;

// The handlers of the update modes: the checks of the installed updater (/checknow, the silent
// modes, /justcheck) and the /install modes of its temporary copy, each over an update session.
// The configuration was validated and prepared by the caller; the caller also performs the common
// ending.
class UpdateDriver {
 public:
  UpdateDriver(const ClientConfig& config, const RunContext& run, const CommandLine& commandLine,
               const HandOverFile& handOver);
  UpdateDriver(const UpdateDriver&) = delete;
  UpdateDriver& operator=(const UpdateDriver&) = delete;

  // Runs the handler of the command line's mode.
  ResultCode Run();

  // Set when the user cancelled the wait window or closed the wizard without finishing, or when
  // an installation ran an installer or closed an application.
  bool ApplicationMustRestart() const { return applicationMustRestart_; }
  // The mode after the run: /install silent becomes silentall or silentcritical by policy.
  RunMode Mode() const { return mode_; }
  // Whether a check handed its updates to a temporary copy, which records its outcome itself.
  bool HandedOver() const { return copy_.started; }

 private:
  using Work = std::function<ResultCode(SessionEvents* events)>;

  ResultCode CheckNow();
  ResultCode SilentCheck();
  ResultCode JustCheck();
  ResultCode Install();
  ResultCode RunWizard(UpdateSession& session, const InstallPlan& plan, InstanceLock& lock);
  ResultCode RunReducedWindow(UpdateSession& session, InstanceLock& lock);

  // Checks and, when updates are needed, hands them to a temporary copy.
  ResultCode CheckAndHandOver(SessionEvents* events);
  // `work` on a worker thread under the wait window; `waitAfterCancelMs` bounds the wait for the
  // worker once the user cancelled. With `asksCredentials` the window asks for credentials that
  // neither the settings nor the command line hold.
  ResultCode RunInWindow(const Work& work, InstanceLock& lock, DWORD waitAfterCancelMs,
                         bool asksCredentials = false);

  const ClientConfig& config_;
  const RunContext& run_;
  const CommandLine& commandLine_;
  const HandOverFile& handOver_;
  RunMode mode_;
  bool applicationMustRestart_ = false;
  RunningCopy copy_;
  // Waited for when the driver ends, until the user has closed it.
  MessagesWindow messagesWindow_;
  MessageNotifier notifier_;
};

}  // namespace updater
