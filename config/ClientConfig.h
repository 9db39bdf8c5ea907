#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "base/ResultCode.h"
#include "config/AdminPolicy.h"
#include "config/ClientConfigProblems.h"
#include "config/SettingsStore.h"

namespace updater {

// True when `path` begins with two backslashes, or with a drive letter, a colon and a slash or
// backslash: a drive letter and colon alone name the drive's current folder.
bool IsAbsoluteWindowsPath(const std::wstring& path);

// True for an existing file named by an absolute path; folders do not count.
bool IsExistingFile(const std::wstring& path);

// The executable's path with the text after its last "." replaced by "ini", or with ".ini"
// appended when it has no ".".
std::wstring IniPathBesideExecutable(const std::wstring& executablePath);

// The FeedPublicKey of the client configuration file at `path`; empty when it has none or cannot
// be read.
std::wstring ReadFeedPublicKey(const std::wstring& path);

// The ConfigFilePath setting of the current user when it names an existing file, else the INI file
// named after the running executable.
std::wstring DefaultClientConfigPath();

// The client configuration: the [General] section of the INI file that describes the application,
// completed by the registry settings under `settingsRoot` (the current user's, or the machine's for
// a service, which has no user of its own) and the machine-wide ones.
class ClientConfig {
 public:
  explicit ClientConfig(std::wstring path, HKEY settingsRoot = HKEY_CURRENT_USER);

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
  // Days between automatic checks: the administrator's policy, else the user's setting, else the
  // file's value.
  std::int32_t CheckFrequency() const { return checkFrequency_; }
  const std::wstring& ApplicationName() const { return applicationName_; }
  const std::wstring& ApplicationVersion() const { return applicationVersion_; }
  const std::wstring& CompanyName() const { return companyName_; }
  const std::wstring& DefaultCommandLine() const { return defaultCommandLine_; }
  const std::wstring& SupportServiceName() const { return supportServiceName_; }
  const std::wstring& AppId() const { return appId_; }
  // The language tag of the texts the user sees, whatever the user's own language; empty when
  // the file sets none or a value that is no tag (which Problems names).
  const std::wstring& Language() const { return language_; }
  // The publisher's public keys (base64 of P-256 points, FeedPublicKey, FeedPublicKey1, ...), one
  // of which update configuration files must be signed with: more than one while the publisher
  // moves to a new key. Empty for files taken unsigned. Only the file sets them, never a setting.
  const std::vector<std::wstring>& FeedPublicKeys() const { return feedPublicKeys_; }
  bool TakesSignedFeedsOnly() const { return !feedPublicKeys_.empty(); }
  // AppId, or CompanyName.ApplicationName ApplicationVersion when AppId is empty.
  std::wstring NotificationAppId() const;

  // What the administrator's policy decides (read with the settings); see AdminPolicy.
  const AdminPolicy& Policy() const { return policy_; }
  // The AutoUpdatePolicy in force: the administrator's, else the user's stored setting; empty
  // when neither is set.
  std::optional<DWORD> AutoUpdatePolicy() const;

  // -1 when not set.
  std::int32_t RetryAttempts() const { return retryAttempts_; }
  std::uint32_t LogLevel() const { return logLevel_; }
  const std::wstring& Proxy() const { return proxy_; }

  void SetDownloadsFolder(std::wstring folder) { downloadsFolder_ = std::move(folder); }
  // Store the per-user setting and take its value (unless the policy fixes it); a failed write is
  // left to the next run.
  void SaveDownloadsFolder(std::wstring folder);
  void SaveCheckFrequency(std::int32_t days);
  // Replaces the first URL, or makes `url` the only one when there is none.
  void ReplaceFirstUrl(std::wstring url);

  // Why a check for updates cannot start, as one line naming the file and what to put right: the
  // file could not be read, or values a check needs (the ID, a URL, the application folder, the
  // downloads folder) are missing after the settings and the command line. Empty when it can.
  std::wstring WhyIncompleteForUpdates() const;

  // What is wrong with the file's text (ClientConfigProblems through the system's lookups); empty
  // when it could not be read.
  const std::vector<ClientConfigProblem>& Problems() const { return problems_; }

  // The settings of this configuration under the chosen root, named by its ID.
  SettingsStore& Settings() { return settings_; }
  const SettingsStore& Settings() const { return settings_; }

 private:
  void ReadConfigFile();
  void ReadRegistry();

  std::wstring path_;
  ResultCode fileResult_ = kConfigFileNotFound;
  std::vector<ClientConfigProblem> problems_;
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
  std::wstring language_;
  std::vector<std::wstring> feedPublicKeys_;
  std::int32_t retryAttempts_ = -1;
  std::uint32_t logLevel_ = 0;
  std::wstring proxy_;
  AdminPolicy policy_;
  HKEY settingsRoot_;
  SettingsStore settings_;
};

}  // namespace updater
