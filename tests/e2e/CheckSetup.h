#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "TestSupport.h"
#include "e2e/UpdaterRun.h"

namespace updater::test {

// One application as a publisher ships it and a user has it: the installed updater with its
// client configuration, the publisher's update configuration file served by the local nginx from
// a folder of its own, the per-user settings, and a folder in which detection looks for the files
// that show an update installed.
class CheckSetup {
 public:
  CheckSetup();
  ~CheckSetup();
  CheckSetup(const CheckSetup&) = delete;
  CheckSetup& operator=(const CheckSetup&) = delete;

  // False, with a test failure, when the servers' folder is unknown.
  bool ServersAvailable() const;

  // Rewrites the client configuration with `url` as the update configuration file's location.
  void UseConfigurationUrl(const std::wstring& url) const;

  // An update section detected by a file in the machine folder, which exists when `installed`.
  std::wstring Update(const std::wstring& section, bool critical, bool installed) const;
  // Serves ";qzu;", a [General] section and `sections` as the update configuration file.
  void Publish(const std::wstring& sections) const;
  // Serves `text` as is under `name`.
  void Serve(const std::wstring& name, const std::wstring& text) const;
  // Serves a copy of the test fixture `fixture` under `name`; returns its size in bytes.
  std::size_t ServeFixture(const std::wstring& name, const std::wstring& fixture) const;
  std::wstring ServedUrl(const std::wstring& name) const;

  std::wstring DownloadsFolder() const { return machine_.File(L"downloads"); }
  // Where the updater keeps the installer of `section` once downloaded.
  std::wstring InstallerPath(const std::wstring& section) const;
  std::wstring SettingsKey() const { return registry_.SubKey() + L"\\Settings"; }
  std::wstring File(const std::wstring& name) const { return machine_.File(name); }
  std::wstring Log() const;

  // The nginx access log lines of requests for this setup's folder, oldest first.
  std::vector<std::string> ServerRequests() const;

  const InstalledUpdater& Updater() const { return updater_; }

 private:
  std::wstring ServedPath(const std::wstring& name) const;

  std::wstring id_;
  std::wstring servedFolder_;
  InstalledUpdater updater_;
  ScopedRegistryTree registry_;
  TempFolder machine_;
};

}  // namespace updater::test
