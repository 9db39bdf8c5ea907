#include "config/ClientConfig.h"

#include <windows.h>

#include <cwchar>
#include <utility>

#include "base/ExecutablePath.h"
#include "base/IniFile.h"
#include "base/ResultText.h"
#include "base/UiLanguage.h"
#include "config/ClientFlags.h"
#include "config/PathExpansion.h"
#include "config/ProxySetting.h"

namespace updater {

namespace {

constexpr wchar_t kSection[] = L"General";
constexpr wchar_t kGlobalSettingsKey[] = L"Software\\Merrow\\Ruddle\\Settings";

}  // namespace

bool IsAbsoluteWindowsPath(const std::wstring& path) {
  if (path.size() >= 2 && path[0] == L'\\' && path[1] == L'\\') return true;
  // "C:x" names x in the current folder of drive C, which a later run may see elsewhere.
  return path.size() >= 3 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
}

bool IsExistingFile(const std::wstring& path) {
  if (!IsAbsoluteWindowsPath(path)) return false;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::wstring ReadFeedPublicKey(const std::wstring& path) {
  IniDocument ini;
  IniFile(path).Read(&ini);
  return ini.Value(kSection, L"FeedPublicKey");
}

std::wstring IniPathBesideExecutable(const std::wstring& executablePath) {
  const std::size_t dot = executablePath.rfind(L'.');
  if (dot == std::wstring::npos) return executablePath + L".ini";
  return executablePath.substr(0, dot + 1) + L"ini";
}

std::wstring DefaultClientConfigPath() {
  std::wstring configured;
  if (ReadRegistryString(HKEY_CURRENT_USER, kGlobalSettingsKey, L"ConfigFilePath", &configured) &&
      IsExistingFile(configured)) {
    return configured;
  }
  return IniPathBesideExecutable(ThisExecutablePath());
}

ClientConfig::ClientConfig(std::wstring path, HKEY settingsRoot)
    : path_(std::move(path)), settingsRoot_(settingsRoot), settings_(settingsRoot, std::wstring()) {}

ResultCode ClientConfig::Load() {
  if (!IsExistingFile(path_)) {
    fileResult_ = kConfigFileNotFound;
    return kConfigFileNotFound;
  }
  ReadConfigFile();
  settings_ = SettingsStore(settingsRoot_, id_);
  ReadRegistry();
  return kSuccess;
}

void ClientConfig::ReadConfigFile() {
  // An unreadable file reads as empty, as it did through the profile functions; a check says why
  // it stops.
  IniDocument ini;
  fileResult_ = IniFile(path_).Read(&ini);
  problems_ = fileResult_ == kSuccess ? ClientConfigProblems(ini, SystemPathLookup())
                                      : std::vector<ClientConfigProblem>();
  const auto text = [&](const wchar_t* key) { return ini.Value(kSection, key); };

  // A flag list with an unknown name keeps the flags before it.
  ParseTokenList(text(L"Flags"), kClientFlagNames, &flags_);
  id_ = text(L"ID");
  urls_ = ini.NumberedValues(kSection, L"URL");
  applicationMainBinary_ = text(L"ApplicationMainBinary");
  appDir_ = ExpandPathOrKeep(text(L"AppDir"), std::wstring());
  downloadsFolder_ = ExpandPathOrKeep(text(L"DownloadsFolder"), appDir_);
  // wcstol semantics: leading blanks and a sign are accepted, reading stops at the first
  // character that is not a digit, and text without digits gives 0. Only a missing or empty key
  // keeps the default.
  const std::wstring frequency = text(L"CheckFrequency");
  if (!frequency.empty()) checkFrequency_ = std::wcstol(frequency.c_str(), nullptr, 10);
  applicationName_ = text(L"ApplicationName");
  applicationVersion_ = text(L"ApplicationVersion");
  companyName_ = text(L"CompanyName");
  defaultCommandLine_ = text(L"DefaultCommandLine");
  supportServiceName_ = text(L"SupportServiceName");
  appId_ = text(L"AppId");
  language_ = text(L"Language");
  if (!IsLanguageTagText(language_)) language_.clear();
  feedPublicKeys_ = ini.NumberedValues(kSection, L"FeedPublicKey");
}

void ClientConfig::ReadRegistry() {
  const SettingsStore machine(HKEY_LOCAL_MACHINE, id_);

  std::wstring folder;
  if (settings_.ReadString(SettingsKey::Settings, L"DownloadsFolder", &folder) &&
      !folder.empty()) {
    downloadsFolder_ = std::move(folder);
  }
  DWORD number = 0;
  if (settings_.ReadDword(SettingsKey::Settings, L"CheckFrequency", &number)) {
    checkFrequency_ = static_cast<std::int32_t>(number);
  }
  if (settings_.ReadDword(SettingsKey::Settings, L"RetryAttempts", &number)) {
    retryAttempts_ = static_cast<std::int32_t>(number);
  }
  if (settings_.ReadDword(SettingsKey::Settings, L"LogLevel", &number) ||
      machine.ReadDword(SettingsKey::Settings, L"LogLevel", &number)) {
    logLevel_ = number;
  } else {
    logLevel_ = 0;
  }
  proxy_ = GetProxy(settings_, machine);
  // The administrator's policy wins over the file and the user; the service has no user.
  policy_ = ReadAdminPolicy(id_, settingsRoot_ == HKEY_LOCAL_MACHINE);
  if (policy_.checkFrequency) checkFrequency_ = static_cast<std::int32_t>(*policy_.checkFrequency);
}

std::optional<DWORD> ClientConfig::AutoUpdatePolicy() const {
  if (policy_.autoUpdatePolicy) return policy_.autoUpdatePolicy;
  DWORD stored = 0;
  if (settings_.ReadDword(SettingsKey::Settings, L"AutoUpdatePolicy", &stored)) return stored;
  return std::nullopt;
}

std::wstring ClientConfig::NotificationAppId() const {
  if (!appId_.empty()) return appId_;
  return companyName_ + L"." + applicationName_ + L" " + applicationVersion_;
}

void ClientConfig::ReplaceFirstUrl(std::wstring url) {
  if (urls_.empty()) {
    urls_.push_back(std::move(url));
  } else {
    urls_.front() = std::move(url);
  }
}

std::wstring ClientConfig::WhyIncompleteForUpdates() const {
  const std::wstring unreadable = L"Cannot read the client configuration file " + path_ + L": ";
  if (fileResult_ == kConfigFileNotFound) return unreadable + L"there is no such file";
  if (fileResult_ != kSuccess) {
    std::wstring reason = ResultText(fileResult_);
    reason.erase(reason.find_last_not_of(L"\r\n. ") + 1);
    return unreadable + reason;
  }
  // The keys kClientKeys marks required, by the values they end in.
  const std::pair<const wchar_t*, bool> needed[] = {
      {L"ID", id_.empty()},
      {L"URL", urls_.empty()},
      {L"AppDir", appDir_.empty()},
      {L"DownloadsFolder", downloadsFolder_.empty()},
  };
  std::wstring missing;
  for (const auto& [key, empty] : needed) {
    if (empty) missing += (missing.empty() ? L"" : L", ") + std::wstring(key);
  }
  return missing.empty() ? std::wstring() : path_ + L": [General] has no " + missing;
}

void ClientConfig::SaveDownloadsFolder(std::wstring folder) {
  settings_.WriteString(SettingsKey::Settings, L"DownloadsFolder", folder);
  downloadsFolder_ = std::move(folder);
}

void ClientConfig::SaveCheckFrequency(std::int32_t days) {
  settings_.WriteDword(SettingsKey::Settings, L"CheckFrequency", static_cast<DWORD>(days));
  if (!policy_.checkFrequency) checkFrequency_ = days;
}

}  // namespace updater
