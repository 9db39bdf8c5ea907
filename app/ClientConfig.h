#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "app/ResultCode.h"
#include "app/RunSwitches.h"
#include "app/SettingsStore.h"

namespace updater {

// Credentials handed over on the command line to a temporary copy.
struct UserCredentials {
  std::wstring userName;
  std::wstring password;
};

// True when `path` begins with two backslashes or has a colon as its second character.
bool IsAbsoluteWindowsPath(const std::wstring& path);

// True for an existing file named by an absolute path; folders do not count.
bool IsExistingFile(const std::wstring& path);

// The executable's path with the text after its last "." replaced by "ini", or with ".ini"
// appended when it has no ".".
std::wstring IniPathBesideExecutable(const std::wstring& executablePath);

// The ConfigFilePath setting of the current user when it names an existing file, else the INI file
// named after the running executable.
std::wstring DefaultClientConfigPath();

// The client configuration: the [General] section of the INI file that describes the application,
// completed by the per-user and machine-wide registry settings.
class ClientConfig {
 public:
  explicit ClientConfig(std::wstring path);

  // Reads the file and then the registry settings. kConfigFileNotFound when the path does not name
  // an existing file, in which case every value keeps its default.
  ResultCode Load();

  const std::wstring& Path() const { return path_; }

  const std::wstring& Id() const { return id_; }
  const std::vector<std::wstring>& Urls() const { return urls_; }
  std::uint32_t Flags() const { return flags_; }
  bool HasFlag(std::uint32_t flag) const { return (flags_ & flag) != 0; }
  const std::wstring& ApplicationMainBinary() const { return applicationMainBinary_; }
  const std::wstring& AppDir() const { return appDir_; }
  const std::wstring& DownloadsFolder() const { return downloadsFolder_; }
  std::int32_t CheckFrequency() const { return checkFrequency_; }
  const std::wstring& ApplicationName() const { return applicationName_; }
  const std::wstring& ApplicationVersion() const { return applicationVersion_; }
  const std::wstring& CompanyName() const { return companyName_; }
  const std::wstring& DefaultCommandLine() const { return defaultCommandLine_; }
  const std::wstring& SupportServiceName() const { return supportServiceName_; }
  const std::wstring& AppId() const { return appId_; }
  // AppId, or CompanyName.ApplicationName ApplicationVersion when AppId is empty.
  std::wstring NotificationAppId() const;

  // The ID until /automation -clsid replaces it; Load resets it to the ID.
  const std::wstring& ComClassId() const { return comClassId_; }
  void SetComClassId(std::wstring clsid) { comClassId_ = std::move(clsid); }

  // Set in a temporary copy of the updater, which works for the updater at `path`.
  void SetRealUpdaterPath(std::wstring path);
  bool IsTemporaryCopy() const { return isTemporaryCopy_; }
  const std::wstring& RealUpdaterPath() const { return realUpdaterPath_; }

  // -1 when not set.
  std::int32_t RetryAttempts() const { return retryAttempts_; }
  std::uint32_t LogLevel() const { return logLevel_; }
  const std::wstring& Proxy() const { return proxy_; }

  void SetDownloadsFolder(std::wstring folder) { downloadsFolder_ = std::move(folder); }
  // Replaces the first URL, or makes `url` the only one when there is none.
  void ReplaceFirstUrl(std::wstring url);

  void SetSwitches(RunSwitches switches) { switches_ = std::move(switches); }
  const RunSwitches& Switches() const { return switches_; }
  void SetCredentials(std::wstring userName, std::wstring password);
  const UserCredentials& Credentials() const { return credentials_; }

  // Whether the values that checking for updates needs are there: the downloads folder, a URL,
  // the ID and the application folder.
  bool IsCompleteForUpdates() const;

  // The current user's settings of this configuration, named by its ID.
  SettingsStore& Settings() { return settings_; }
  const SettingsStore& Settings() const { return settings_; }

 private:
  void ReadConfigFile();
  void ReadRegistry();

  std::wstring path_;
  std::wstring id_;
  std::vector<std::wstring> urls_;
  std::uint32_t flags_ = 0;
  std::wstring applicationMainBinary_;
  std::wstring appDir_;
  std::wstring downloadsFolder_;
  std::int32_t checkFrequency_ = 3;
  std::wstring applicationName_;
  std::wstring applicationVersion_;
  std::wstring companyName_;
  std::wstring defaultCommandLine_;
  std::wstring supportServiceName_;
  std::wstring appId_;
  std::wstring comClassId_;
  bool isTemporaryCopy_ = false;
  std::wstring realUpdaterPath_;
  std::int32_t retryAttempts_ = -1;
  std::uint32_t logLevel_ = 0;
  std::wstring proxy_;
  RunSwitches switches_;
  UserCredentials credentials_;
  SettingsStore settings_;
};

}  // namespace updater
