#pragma once

#include <string>

#include "catalogue/UpdateInfo.h"
#include "catalogue/VersionNumber.h"

namespace updater {

// The administrator's TargetVersion as a version; false when it is empty or reads as none (which
// is logged: the pin is then ignored).
bool ParseTargetVersion(const std::wstring& text, VersionNumber* target);

// Whether the pin holds `update` back: its Version is above the target. An update without a
// Version cannot be compared and passes.
bool PinHoldsBack(const UpdateInfo& update, const VersionNumber& target);

}  // namespace updater
