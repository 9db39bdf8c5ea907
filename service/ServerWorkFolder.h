#pragma once

#include <cstdint>
#include <string>

#include "base/ResultCode.h"

namespace updater {

// A private folder of the command server for one command: the update configuration file it
// fetches and the copy of the installer it runs live here, where the client, who names the
// downloads folder, cannot replace them between their checks and their use. Removed with all it
// holds when the command ends.
class ServerWorkFolder {
 public:
  ServerWorkFolder() = default;
  ServerWorkFolder(const ServerWorkFolder&) = delete;
  ServerWorkFolder& operator=(const ServerWorkFolder&) = delete;
  ~ServerWorkFolder();

  // A fresh private folder in `parent` (ending in "\").
  ResultCode Create(const std::wstring& parent);
  const std::wstring& Path() const { return path_; }
  // `name` in the folder.
  std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }
  // Copies `source` into the folder as `name`, reading it through one handle that keeps it from
  // being changed meanwhile. 0, kSizeMismatch when it does not hold `size` bytes (so that whoever
  // can write the source cannot fill this folder's volume), or the Windows error.
  ResultCode CopyIn(const std::wstring& source, std::uint64_t size, const std::wstring& name,
                    std::wstring* copy);

 private:
  std::wstring path_;
};

}  // namespace updater
