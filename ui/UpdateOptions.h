#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace updater {

// The three radio buttons of the Update Options dialog.
enum class AutoUpdateChoice { NoCheck, Prompt, Automatic };

// What the Update Options dialog shows and the user may change.
struct UpdateOptions {
  AutoUpdateChoice choice = AutoUpdateChoice::Prompt;
  bool criticalOnly = false;  // with Automatic: "Critical" rather than "All"
  std::wstring frequency;     // days, as typed
  std::wstring downloadsFolder;
};

// The stored values the dialog starts from; `hasPolicy` says whether AutoUpdatePolicy exists.
struct StoredPolicy {
  bool hasPolicy = false;
  DWORD policy = 0;
  bool noAutoCheck = false;
};

// The choice showing the stored policy. Without AutoUpdatePolicy, NoAutoUpdateCheck decides, as it
// does for the schedule; where checks may not be switched off (NoDisableAutoCheck) a stored 0
// shows as Prompt, the policy the schedule then follows.
void ShowStoredPolicy(const StoredPolicy& stored, bool noDisableAutoCheck, UpdateOptions* options);

// The options the administrator's policy fixes: the dialog shows them and cannot change them.
struct OptionsLocks {
  bool policy = false;     // AutoUpdatePolicy
  bool frequency = false;  // CheckFrequency
  bool Any() const { return policy || frequency; }
};

// Which controls the dialog enables for a choice.
struct OptionsEnabling {
  bool noCheck = true;        // the "Do not check" radio button
  bool choices = true;        // the other two radio buttons
  bool frequency = true;      // the frequency edit, its labels and the next-check text
  bool automaticKind = true;  // the "All" / "Critical" combo box
};
OptionsEnabling EnablingFor(AutoUpdateChoice choice, bool noDisableAutoCheck,
                            const OptionsLocks& locks);

// What OK writes: the policy unless it is locked; the frequency and the folder only when they
// changed.
struct OptionsChanges {
  bool writesPolicy = true;
  DWORD policy = 1;
  bool frequencyChanged = false;
  std::int32_t frequency = 0;
  bool folderChanged = false;
  std::wstring folder;
};

// A frequency that is not 0 to kMaxCheckFrequency days in decimal digits, and an empty folder,
// leave the stored values alone.
constexpr std::int32_t kMaxCheckFrequency = 9999;
OptionsChanges DecideOptionsChanges(const UpdateOptions& options, std::int32_t currentFrequency,
                                    const std::wstring& currentFolder, bool noDisableAutoCheck,
                                    const OptionsLocks& locks);

}  // namespace updater
