#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// A private folder of the command server for one command: the update configuration file it
// fetches and the installer it downloads and runs live here, where no client can replace them
// between their checks and their use. Removed with the files it holds when the command ends.
class ServerWorkFolder {
 public:
  ServerWorkFolder() = default;
  ServerWorkFolder(const ServerWorkFolder&) = delete;
  ServerWorkFolder& operator=(const ServerWorkFolder&) = delete;
  ~ServerWorkFolder();

  // A fresh private folder in `parent` (ending in "\").
  ResultCode Create(const std::wstring& parent);
  const std::wstring& Path() const { return path_; }

 private:
  std::wstring path_;
};

}  // namespace updater
