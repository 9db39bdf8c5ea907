#include "app/UpdaterApp.h"

#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "app/Cleaner.h"
#include "app/RunMessages.h"
#include "app/SetSetting.h"
#include "app/UpdateDriver.h"
#include "automation/AutomationServer.h"
#include "automation/ComRegistration.h"
#include "base/ExecutablePath.h"
#include "base/Logger.h"
#include "base/ProcessStart.h"
#include "base/ResultText.h"
#include "base/UiLanguage.h"
#include "base/UniqueHandle.h"
#include "config/LastResult.h"
#include "config/SettingsStore.h"
#include "engine/ApplicationStart.h"
#include "engine/ConfigurationFetch.h"
#include "handover/CredentialsArgument.h"
#include "handover/InstanceLock.h"
#include "handover/RemovalBatchFile.h"
#include "notify/ToastXml.h"
#include "notify/UrlProtocol.h"
#include "service/CommandServer.h"
#include "service/IpcNames.h"
#include "service/ServerLauncher.h"
#include "service/ServiceControl.h"
#include "service/ServiceHost.h"
#include "ui/UpdateOptionsDialog.h"
#include "ui/WebLink.h"

namespace updater {
namespace {

bool IsModeIn(RunMode mode, RunMode first, RunMode last) {
  return static_cast<int>(mode) >= static_cast<int>(first) &&
         static_cast<int>(mode) <= static_cast<int>(last);
}

}  // namespace

UpdaterApp::UpdaterApp(std::wstring commandLine) : commandLineText_(std::move(commandLine)) {}

ResultCode UpdaterApp::Run() {
  ResultCode result = Prepare();
  if (result == kSuccess) {
    if (run_.switches.startAppFirst && !run_.switches.restartPath.empty() &&
        IsModeIn(commandLine_.mode, RunMode::CheckNow, RunMode::SilentCritical)) {
      StartApplication(run_.switches.restartPath, run_.switches.restartArguments, *config_);
    }
    result = Dispatch();
  }
  Finish(result);
  return result;
}

bool UpdaterApp::IsTemporaryCopyMode() const {
  return IsModeIn(commandLine_.mode, RunMode::Install, RunMode::InstallSilentCritical) ||
         commandLine_.mode == RunMode::RunServer;
}

bool UpdaterApp::RunsAsLocalSystem() const {
  return commandLine_.mode == RunMode::RunService || commandLine_.mode == RunMode::DebugService ||
         commandLine_.mode == RunMode::RunServer;
}

ResultCode UpdaterApp::LoadConfig(const std::wstring& path, HKEY settingsRoot) {
  config_ = std::make_unique<ClientConfig>(path, settingsRoot);
  const ResultCode loaded = config_->Load();
  configLoaded_ = loaded == kSuccess;
  return loaded;
}

ResultCode UpdaterApp::Prepare() {
  size_t first = commandLineText_.find_first_not_of(L" \t\r\n");
  if (first == std::wstring::npos) {
    const ResultCode loaded = LoadConfig(DefaultClientConfigPath(), HKEY_CURRENT_USER);
    if (loaded != kSuccess) return loaded;
    commandLineText_ = config_->DefaultCommandLine();
  }

  // A toast's click starts the updater with the scheme and "/Link".
  const std::wstring linkPrefix = std::wstring(kUrlScheme) + L":/Link";
  std::wstring rejection;
  const ResultCode parsed =
      ParseCommandLine(commandLineText_, linkPrefix, &commandLine_, &rejection);
  if (parsed != kSuccess) {
    // Logged where the settings of the updater beside its configuration put the log, so that
    // whoever wrote the command line finds out what to write instead.
    if (!config_) LoadConfig(DefaultClientConfigPath(), HKEY_CURRENT_USER);
    StartLogging();
    Log(kLogError, rejection);
    for (const std::wstring& line : UsageLines()) Log(kLogError, line);
    return parsed;
  }
  commandLineParsed_ = true;

  std::wstring clientConfigPath;
  if (IsTemporaryCopyMode()) {
    handOver_ = ReadHandOverFile(commandLine_.handOverFile);
    clientConfigPath = handOver_.clientConfigPath;
  }
  // The service's own user may choose nothing: its ConfigFilePath setting would otherwise point
  // the service, and the LocalSystem server it starts, at any file.
  if (commandLine_.mode == RunMode::RunService || commandLine_.mode == RunMode::DebugService) {
    clientConfigPath = IniPathBesideExecutable(ThisExecutablePath());
  }
  if (clientConfigPath.empty() && !RunsAsLocalSystem()) clientConfigPath = DefaultClientConfigPath();

  if (!config_) {
    // A missing file leaves the configuration empty; the modes that need it say so themselves.
    LoadConfig(clientConfigPath, RunsAsLocalSystem() ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER);
  }
  // Before any window or message box: all of them show texts in this language.
  ApplyUiLanguage(config_->Language());

  if (IsModeIn(commandLine_.mode, RunMode::CheckNow, RunMode::Configure) ||
      commandLine_.mode == RunMode::JustCheck) {
    RegisterAsClient();
  }
  if (!commandLine_.credentials.empty()) {
    UserCredentials credentials;
    const ResultCode decoded = ParseCredentialsArgument(commandLine_.credentials, &credentials);
    if (decoded != kSuccess) return decoded;
    if (!credentials.userName.empty()) run_.credentials = credentials;
  }
  ApplySwitches();
  StartLogging();
  Log(kLogTrace, FormatText(L"Running updater. Mode: %d", static_cast<int>(commandLine_.mode)));
  LogConfigProblems();
  return kSuccess;
}

void UpdaterApp::RegisterAsClient() {
  if (config_->Id().empty()) return;
  const std::wstring executable = ThisExecutablePath();
  DWORD existing = 0;
  if (!config_->Settings().ReadDword(SettingsKey::Client, executable, &existing)) {
    config_->Settings().WriteDword(SettingsKey::Client, executable, 0);
  }
}

void UpdaterApp::ApplySwitches() {
  // A temporary copy inherits the switches of the run that started it through the hand-over file.
  const bool inherited = IsTemporaryCopyMode();
  const std::wstring& url = inherited ? handOver_.url : commandLine_.urlOverride;
  if (!url.empty()) config_->ReplaceFirstUrl(url);
  run_.switches = inherited ? handOver_.switches : SwitchesOf(commandLine_);
  run_.comClassId = commandLine_.clsid;
  if (inherited) run_.realUpdaterPath = handOver_.realUpdaterPath;
}

void UpdaterApp::StartLogging() {
  std::wstring folder = config_->DownloadsFolder();
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  const std::uint32_t level = config_->LogLevel();
  if (level != 0 && IsAbsoluteWindowsPath(folder) &&
      GetFileAttributesW(folder.c_str()) == INVALID_FILE_ATTRIBUTES) {
    SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  }
  Logger& logger = Logger::Instance();
  logger.SetLogFile(folder + L"updater.log");
  logger.SetEnabled(level != 0);
  logger.SetLevelMask(level);
}

// Missing keys are left to the checks that need them: a setting or the command line may supply
// them.
void UpdaterApp::LogConfigProblems() const {
  for (const ClientConfigProblem& problem : config_->Problems()) {
    if (problem.kind != ClientProblemKind::Missing) {
      Log(kLogError, L"Warning: " + config_->Path() + L": " + problem.text);
    }
  }
  for (const std::wstring& problem : config_->Policy().problems) Log(kLogError, problem);
  const std::wstring& language = config_->Language();
  if (!language.empty() &&
      MatchLanguage(LanguageOfTag(language), ResourceLanguages(GetModuleHandleW(nullptr))) == 0) {
    Log(kLogError, L"Warning: " + config_->Path() +
                       L": [General] Language names no language the updater has texts for: " +
                       language);
  }
}

ResultCode UpdaterApp::ValidateForUpdates() {
  failureDetail_ = config_->WhyIncompleteForUpdates();
  std::wstring localPath;
  if (failureDetail_.empty() &&
      LocalConfigurationPath(config_->DownloadsFolder(), config_->Urls().front(), &localPath) !=
          kSuccess) {
    failureDetail_ = config_->Path() + L": [General] URL names no file to keep in the downloads "
                     L"folder: " + config_->Urls().front();
  }
  return failureDetail_.empty() ? kSuccess : kInvalidClientConfig;
}

ResultCode UpdaterApp::Dispatch() {
  switch (commandLine_.mode) {
    case RunMode::CheckNow:
    case RunMode::Silent:
    case RunMode::SilentAll:
    case RunMode::SilentCritical:
    case RunMode::JustCheck:
    case RunMode::JustCheckCritical: {
      const ResultCode valid = ValidateForUpdates();
      return valid != kSuccess ? valid : RunUpdateMode();
    }
    case RunMode::Install:
    case RunMode::InstallSilent:
    case RunMode::InstallSilentAll:
    case RunMode::InstallSilentCritical:
      return RunUpdateMode();
    case RunMode::Clean:
      return Cleaner(*config_, [](const ClientConfig&) {
               UnregisterProtocol(HKEY_CURRENT_USER, kUrlScheme);
             }).Run(commandLine_.cleanSilently);
    case RunMode::RunService: {
      ServerLauncher launcher = MakeServerLauncher();
      return RunService(ExecutableBaseName(ThisExecutablePath()), launcher);
    }
    case RunMode::DebugService:
      return DebugService();
    case RunMode::InstallService:
      return InstallService(ThisExecutablePath());
    case RunMode::ConfigService:
      return RunConfigureService();
    case RunMode::UninstallService:
      return UninstallService(ExecutableBaseName(ThisExecutablePath()));
    case RunMode::RunServer:
      return RunCommandServer(configLoaded_ ? config_.get() : nullptr,
                              handOver_.ipcObjectNameBase);
    case RunMode::SetSetting:
      return SetSetting(*config_, commandLine_.settingName, commandLine_.settingValue,
                        commandLine_.settingValue2);
    case RunMode::OpenLink:
      return OpenLink();
    case RunMode::Configure:
      return Configure();
    case RunMode::Automation:
      return RunAutomation();
    default:
      return kNotImplemented;
  }
}

ResultCode UpdaterApp::RunUpdateMode() {
  UpdateDriver driver(*config_, run_, commandLine_, handOver_);
  const ResultCode result = driver.Run();
  if (driver.ApplicationMustRestart()) applicationMustRestart_ = true;
  handedOver_ = driver.HandedOver();
  commandLine_.mode = driver.Mode();
  return result;
}

ResultCode UpdaterApp::Configure() {
  // The owner is a window of the caller's, given by number; anything else is no owner.
  HWND owner = reinterpret_cast<HWND>(commandLine_.configureOwner);
  if (!IsWindow(owner)) owner = GetActiveWindow();
  UpdateOptionsDialog(*config_).Show(owner);
  return kSuccess;
}

ServerLauncher UpdaterApp::MakeServerLauncher() const {
  return ServerLauncher(configLoaded_ ? config_->Path() : std::wstring(), ThisExecutablePath());
}

ResultCode UpdaterApp::DebugService() {
  ServerLauncher launcher = MakeServerLauncher();
  if (launcher.Prepare() == -1) return kSuccess;
  const std::wstring baseName = NewIpcBaseName();
  Log(kLogDebug, L"Debugging the service with the object base name " + baseName);
  return launcher.Handle({ExecutableBaseName(ThisExecutablePath()), baseName});
}

ResultCode UpdaterApp::RunConfigureService() {
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) return GetLastError();
  return ConfigService(manager.Get(), commandLine_.serviceName);
}

ResultCode UpdaterApp::OpenLink() const {
  if (!IsOpenableLink(commandLine_.link)) {
    Log(kLogError, L"Refusing to open a link that is not a web address: " + commandLine_.link);
    return kInvalidCommandLine;
  }
  ShellOpen open{commandLine_.link};
  open.mask = 0;  // the user clicked it: where nothing opens web links, the shell may say so
  OpenThroughShell(open);
  return kSuccess;
}

ResultCode UpdaterApp::RunAutomation() {
  const std::wstring classId = run_.comClassId.empty() ? config_->Id() : run_.comClassId;
  const std::wstring executable = ThisExecutablePath();
  // An application's uninstaller removes what its setup registered, whatever is left of the
  // configuration by then.
  if (commandLine_.unregisterServer) return UnregisterAutomation(classId, executable);
  if (const ResultCode valid = ValidateForUpdates(); valid != kSuccess) return valid;
  // Started by hand rather than by COM: the application's setup registers the server.
  if (!commandLine_.embedding) return RegisterAutomation(classId, executable);
  const AutomationContext context{*config_, run_, [executable](const auto& check) {
    InstanceLock lock;
    return AnotherRunIsFirst(lock, executable) ? lock.SignalFirst(false) : check();
  }};
  AutomationServerOptions options{classId, commandLine_.registerProxyStub, executable};
  options.endWithLauncher = true;
  return ServeAutomation(context, options);
}

void UpdaterApp::Finish(ResultCode result) {
  const bool configLoaded = config_ != nullptr;
  // Recorded before the error box of /checknow, which stays until its user closes it.
  const RunMode mode = commandLine_.mode;
  if (configLoaded && commandLineParsed_ && !handedOver_ &&
      (IsModeIn(mode, RunMode::CheckNow, RunMode::SilentCritical) ||
       IsModeIn(mode, RunMode::Install, RunMode::InstallSilentCritical))) {
    RecordLastResult(config_->Settings(), result);
  }
  if (configLoaded && !handedOver_ && !run_.switches.restartPath.empty() &&
      !run_.switches.startAppFirst && (applicationMustRestart_ || result != kSuccess)) {
    StartApplication(run_.switches.restartPath, run_.switches.restartArguments, *config_);
  }

  if (configLoaded && commandLineParsed_ && commandLine_.mode == RunMode::CheckNow &&
      !commandLine_.minimalUserActions && !IsQuietResult(result)) {
    MessageBoxW(GetActiveWindow(),
                CheckErrorBoxText(result, config_->Proxy(), failureDetail_).c_str(),
                CheckErrorBoxTitle(config_->ApplicationName()).c_str(), MB_ICONERROR);
  }
  config_.reset();

  if (IsTemporaryCopyMode() && !handOver_.uninstallFilePath.empty()) {
    StartRemovalBatchFile(handOver_.uninstallFilePath);
  }

  Log(kLogTrace, FormatText(L"Updater finished. Mode: %d. Return code: %u",
                            static_cast<int>(commandLine_.mode), result));
  if (!IsQuietResult(result)) Log(kLogError, RunFailureLogLine(result, failureDetail_));
}

}  // namespace updater
