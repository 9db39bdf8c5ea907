#pragma once

#include <string>
#include <utility>
#include <vector>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "catalogue/UpdateInfo.h"

namespace updater::test {

using KeyChanges = std::vector<std::pair<std::wstring, std::wstring>>;

// An update section that loads: Name, Size, URL and FilePath, with `changes` applied in order:
// a key already there gets the new value (an empty value removes it), another key is appended.
std::wstring UpdateSection(const std::wstring& section, const KeyChanges& changes = {});

// A client configuration in a temporary folder, with its own ID, downloads folder and the given
// locations of the update configuration file. Its registry settings are removed at the end.
class ServerConfigFixture {
 public:
  explicit ServerConfigFixture(const std::vector<std::wstring>& locations = {
                                   L"https://updates.example.com/app/updates.ini"});

  const ClientConfig& Client() const { return client_; }
  const TempFolder& Folder() const { return folder_; }
  std::wstring DownloadsFolder() const { return folder_.File(L"downloads"); }

  // Writes ";qzu;" and `body` to a file in the folder and returns its path.
  std::wstring WriteUpdateConfig(const std::wstring& body,
                                 TextEncoding encoding = TextEncoding::Ansi,
                                 const std::wstring& name = L"updates.ini") const;

 private:
  TempFolder folder_;
  ScopedRegistryTree settings_;
  ClientConfig client_;
};

}  // namespace updater::test
