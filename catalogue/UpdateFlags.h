#pragma once

#include "base/TokenList.h"

namespace updater {

// Names of the bits of an update's Flags key (UpdateFlag), as the file writes them.
extern const TokenName kUpdateFlagNames[12];

// Names of the flag set of an AutoCloseApplication entry (AutoCloseFlag).
extern const TokenName kAutoCloseFlagNames[3];

}  // namespace updater
