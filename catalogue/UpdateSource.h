#pragma once

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// Where the updates of a check come from: the update configuration file or GitHub releases. Each
// source is given the local file path, the client configuration and the list to fill.
class UpdateSource {
 public:
  virtual ~UpdateSource() = default;
  // checkHeader: the file must start with its format mark; mergeAbsorbed: the items of absorbed
  // updates are shown with the update that absorbs them. Both false for the selected-updates file.
  virtual ResultCode Load(bool checkHeader, bool mergeAbsorbed) = 0;
  virtual UpdateList& GetUpdates() = 0;
};

}  // namespace updater
