#pragma once

#include <windows.h>

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace updater {

// The key, under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, that Group Policy writes an
// administrator's settings to for one configuration ID; empty for an empty ID.
std::wstring PolicyKeyPath(const std::wstring& id);

// The names of the policy values, as the administrative template lists them.
constexpr size_t kPolicyValueCount = 6;
extern const wchar_t* const kPolicyValueNames[kPolicyValueCount];

// Local hours in which silent installations may run, as minutes after midnight; a window whose
// end is before its start crosses midnight.
struct UpdateWindowHours {
  int startMinute = 0;
  int endMinute = 0;
};

// "HH:MM-HH:MM" (24-hour clock, two digits each, blanks around the dash allowed); false for
// anything else and for a window that starts where it ends.
bool ParseUpdateWindow(const std::wstring& text, UpdateWindowHours* window);
// Whether `minuteOfDay` (0-1439) lies in the window: the start minute counts, the end one not.
bool IsInsideWindow(const UpdateWindowHours& window, int minuteOfDay);
std::wstring FormatUpdateWindow(const UpdateWindowHours& window);

// One value as the registry holds it: its type and, for REG_DWORD, the number; for REG_SZ, the
// text, unless it is longer than any valid value (`tooLong`). `present` is false for a missing
// value.
struct PolicyRegistryValue {
  bool present = false;
  DWORD type = REG_NONE;
  DWORD number = 0;
  std::wstring text;
  bool tooLong = false;
};

// What the administrator decided; an empty optional leaves the decision to the client
// configuration and the user's settings.
struct AdminPolicy {
  bool disableUpdates = false;
  std::optional<DWORD> autoUpdatePolicy;  // 0-3, as the setting of that name
  std::optional<DWORD> checkFrequency;    // days; 0: no automatic checks
  std::wstring targetVersion;             // empty: no pin; compared as a version by the engine
  std::optional<UpdateWindowHours> updateWindow;
  bool allowMeteredDownloads = false;
  // One line for each value that was ignored, naming where it was and why; for the log.
  std::vector<std::wstring> problems;
};

// The values of one root in the order of kPolicyValueNames.
using PolicyValues = std::array<PolicyRegistryValue, kPolicyValueCount>;

// The policy from the values under HKEY_LOCAL_MACHINE, which win, and those under
// HKEY_CURRENT_USER. A value of the wrong type or out of range is ignored with a problem line,
// and the next source in line holds.
AdminPolicy DecideAdminPolicy(const PolicyValues& machine, const PolicyValues& user);

// Reads the policy of `id` from the registry: HKEY_LOCAL_MACHINE, and HKEY_CURRENT_USER unless
// `machineOnly`.
AdminPolicy ReadAdminPolicy(const std::wstring& id, bool machineOnly);

}  // namespace updater
