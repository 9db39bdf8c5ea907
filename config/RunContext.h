#pragma once

#include <string>

#include "config/RunSwitches.h"

namespace updater {

// Credentials handed over on the command line to a temporary copy.
struct UserCredentials {
  std::wstring userName;
  std::wstring password;
};

// What one run adds to the client configuration: the switches of its command line (or, in a
// temporary copy, those inherited through the hand-over file), the credentials handed over, the
// COM class id of /automation -clsid, and the installed updater a temporary copy works for.
struct RunContext {
  RunSwitches switches;
  UserCredentials credentials;
  std::wstring comClassId;       // empty: the configuration's ID
  std::wstring realUpdaterPath;  // empty unless this is a temporary copy

  bool IsTemporaryCopy() const { return !realUpdaterPath.empty(); }
};

}  // namespace updater
