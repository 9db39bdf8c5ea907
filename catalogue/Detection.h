#pragma once

#include <windows.h>

#include <string>
#include <utility>

#include "catalogue/ApplicabilityState.h"
#include "catalogue/OsFacts.h"
#include "catalogue/UpdateEvaluator.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/VersionNumber.h"

namespace updater {

// What the client configuration says about the installed application, against which updates
// that name applications or application versions are matched.
struct ClientFacts {
  std::wstring applicationName;
  std::wstring applicationVersion;
};

// Whether a detected version shows the update installed: equal in all four fields, or at least
// the update's version. Without an operator (no Version key) it never holds.
bool SatisfiesVersionCondition(VersionOperator versionOperator, const VersionNumber& required,
                               const VersionNumber& detected);

// A RegistryKey value taken apart: root, key path and value name.
struct RegistryLocation {
  HKEY root = nullptr;
  std::wstring keyPath;
  std::wstring valueName;
  // "HKUD": the key under HKEY_CURRENT_USER or under HKEY_LOCAL_MACHINE; `root` stays null.
  bool isPerUserOrMachine = false;
};

// Splits at the first "\" into root and rest, and the rest at its last "\" into key path and
// value name. False when a part is missing or empty, or the root is not one of "HKLM", "HKCU",
// "HKU", "HKCC", "HKCR", "HKUD" (case-sensitive).
bool SplitRegistryKey(const std::wstring& text, RegistryLocation* location);

// The windows package architecture of an AppIdArch value: "x86" 0, "x64" 9, "neutral" 11, in any
// letter case; anything else 0.
UINT32 PackageArchitecture(const std::wstring& appIdArch);
// Whether the AppIdArch value is one of those names, rather than read as x86 for want of one.
bool IsPackageArchitectureName(const std::wstring& appIdArch);

// How long a CustomDetection program may run before its update counts as not installed.
constexpr DWORD kCustomDetectionWaitMs = 2 * 60 * 1000;

// Whether the update is installed, by its DetectionKind. Every failure counts as not installed,
// also a CustomDetection program that has not ended within `customDetectionWaitMs`: it is then
// logged and ended, since it was started only for its answer and would otherwise stay, holding
// what it opened, with one more such program after each later check.
bool IsInstalled(const UpdateInfo& update, DWORD customDetectionWaitMs);
bool IsInstalled(const UpdateInfo& update);

// The version a Registry or File detection with a Version key finds on this machine, whatever
// the key's operator (for a per-user-or-machine key, the higher of the two): what an update would
// replace. False when the detection reads no version.
bool FindInstalledVersion(const UpdateInfo& update, VersionNumber* found);

// The evaluation over given facts and detection, so that its rules can be exercised without the
// machine's state. Marks the update (and what it depends on) Evaluated once found needed.
ApplicabilityState EvaluateUpdate(UpdateInfo& update, const OsFacts& os, const ClientFacts& client,
                                  bool (*isInstalled)(const UpdateInfo&));

// The evaluation on this machine: CurrentOsFacts() and IsInstalled.
class SystemUpdateEvaluator : public UpdateEvaluator {
 public:
  explicit SystemUpdateEvaluator(ClientFacts client) : client_(std::move(client)) {}
  ApplicabilityState Evaluate(UpdateInfo& update) override;

 private:
  ClientFacts client_;
};

}  // namespace updater
