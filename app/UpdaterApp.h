#pragma once

#include <memory>
#include <string>

#include "app/CommandLine.h"
#include "base/ResultCode.h"
#include "config/ClientConfig.h"
#include "config/RunContext.h"
#include "handover/HandOverFile.h"
#include "service/ServerLauncher.h"

namespace updater {

// The one application object: parses the command line into a run mode, prepares the client
// configuration and the log, dispatches to the mode's handler and performs the common ending.
class UpdaterApp {
 public:
  explicit UpdaterApp(std::wstring commandLine);
  UpdaterApp(const UpdaterApp&) = delete;
  UpdaterApp& operator=(const UpdaterApp&) = delete;

  // Returns the result of the run, which becomes the process exit code.
  ResultCode Run();

 private:
  ResultCode Prepare();
  ResultCode Dispatch();
  void Finish(ResultCode result);

  ResultCode LoadConfig(const std::wstring& path, HKEY settingsRoot);
  void RegisterAsClient();
  void ApplySwitches();
  void StartLogging();
  void LogConfigProblems() const;
  // kInvalidClientConfig, with what to put right in failureDetail_, when a check cannot start.
  ResultCode ValidateForUpdates();
  ResultCode RunUpdateMode();
  ResultCode Configure();
  ServerLauncher MakeServerLauncher() const;
  ResultCode DebugService();
  ResultCode RunConfigureService();
  ResultCode OpenLink() const;
  ResultCode RunAutomation();
  bool IsTemporaryCopyMode() const;
  // The service and the server it starts run as LocalSystem, whose own settings must not count.
  bool RunsAsLocalSystem() const;

  std::wstring commandLineText_;
  CommandLine commandLine_;
  HandOverFile handOver_;
  RunContext run_;
  std::unique_ptr<ClientConfig> config_;
  // What the failure line and the error box add to the result's text.
  std::wstring failureDetail_;
  bool commandLineParsed_ = false;
  bool configLoaded_ = false;
  bool applicationMustRestart_ = false;
  // A check that started a temporary copy leaves the copy to restart the application and to
  // record the outcome.
  bool handedOver_ = false;
};

}  // namespace updater
