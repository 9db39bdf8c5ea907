#include "engine/TargetVersionPin.h"

#include "base/Logger.h"

namespace updater {

bool ParseTargetVersion(const std::wstring& text, VersionNumber* target) {
  if (text.empty()) return false;
  if (!target->Parse(text)) {
    Log(kLogError, L"Ignored the policy value TargetVersion: " + text + L" is not a version");
    return false;
  }
  return true;
}

bool PinHoldsBack(const UpdateInfo& update, const VersionNumber& target) {
  return update.version.Count() != 0 && !AtLeast(target, update.version);
}

}  // namespace updater
