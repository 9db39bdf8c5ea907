#pragma once

#include <string>

namespace updater {

// The switches of a run that a temporary copy inherits and the configuration carries: from the
// command line of the installed updater, or from the hand-over file in the copy.
struct RunSwitches {
  bool justDownload = false;
  bool startMinimized = false;
  std::wstring restartPath;
  std::wstring restartArguments;
  bool startAppFirst = false;
  bool noGui = false;
  bool reducedGui = false;
  bool forceMsiBasicUi = false;
};

}  // namespace updater
