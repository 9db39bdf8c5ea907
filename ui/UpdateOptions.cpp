#include "ui/UpdateOptions.h"

#include "base/TextUtil.h"
#include "config/ClientFlags.h"

namespace updater {
namespace {

// Digits only, at most as many as kMaxCheckFrequency has; blanks around them are allowed.
bool ParseFrequency(const std::wstring& text, std::int32_t* days) {
  const std::wstring digits = Trim(text, L" ");
  if (digits.empty() || digits.size() > 4) return false;
  std::int32_t value = 0;
  for (const wchar_t digit : digits) {
    if (digit < L'0' || digit > L'9') return false;
    value = value * 10 + (digit - L'0');
  }
  *days = value;
  return true;
}

}  // namespace

void ShowStoredPolicy(const StoredPolicy& stored, bool noDisableAutoCheck,
                      UpdateOptions* options) {
  options->criticalOnly = false;
  if (!stored.hasPolicy) {
    const bool off = stored.noAutoCheck && !noDisableAutoCheck;
    options->choice = off ? AutoUpdateChoice::NoCheck : AutoUpdateChoice::Prompt;
    return;
  }
  switch (stored.policy) {
    case kAutoUpdatePolicyDisable:
      options->choice = noDisableAutoCheck ? AutoUpdateChoice::Prompt : AutoUpdateChoice::NoCheck;
      return;
    case kAutoUpdatePolicyAutoAll:
      options->choice = AutoUpdateChoice::Automatic;
      return;
    case kAutoUpdatePolicyAutoCritical:
      options->choice = AutoUpdateChoice::Automatic;
      options->criticalOnly = true;
      return;
    default:
      // Prompt, and any value /set could have ORed together, which the schedule treats as on.
      options->choice = AutoUpdateChoice::Prompt;
      return;
  }
}

OptionsEnabling EnablingFor(AutoUpdateChoice choice, bool noDisableAutoCheck,
                            const OptionsLocks& locks) {
  OptionsEnabling enabling;
  enabling.choices = !locks.policy;
  enabling.noCheck = !noDisableAutoCheck && !locks.policy;
  enabling.frequency = choice != AutoUpdateChoice::NoCheck && !locks.frequency;
  enabling.automaticKind = choice == AutoUpdateChoice::Automatic && !locks.policy;
  return enabling;
}

OptionsChanges DecideOptionsChanges(const UpdateOptions& options, std::int32_t currentFrequency,
                                    const std::wstring& currentFolder, bool noDisableAutoCheck,
                                    const OptionsLocks& locks) {
  OptionsChanges changes;
  changes.writesPolicy = !locks.policy;
  switch (options.choice) {
    case AutoUpdateChoice::NoCheck:
      changes.policy = noDisableAutoCheck ? kAutoUpdatePolicyPrompt : kAutoUpdatePolicyDisable;
      break;
    case AutoUpdateChoice::Prompt:
      changes.policy = kAutoUpdatePolicyPrompt;
      break;
    case AutoUpdateChoice::Automatic:
      changes.policy =
          options.criticalOnly ? kAutoUpdatePolicyAutoCritical : kAutoUpdatePolicyAutoAll;
      break;
  }
  std::int32_t days = 0;
  if (!locks.frequency && ParseFrequency(options.frequency, &days) && days != currentFrequency) {
    changes.frequencyChanged = true;
    changes.frequency = days;
  }
  if (!options.downloadsFolder.empty() && options.downloadsFolder != currentFolder) {
    changes.folderChanged = true;
    changes.folder = options.downloadsFolder;
  }
  return changes;
}

}  // namespace updater
