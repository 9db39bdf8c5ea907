#include "config/AdminPolicy.h"

#include <cstring>

#include "base/ResultText.h"
#include "base/TextUtil.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

enum PolicyIndex { kDisableUpdates, kAutoUpdatePolicy, kCheckFrequency, kTargetVersion,
                   kUpdateWindow, kAllowMeteredDownloads };

// As many days as the Update Options dialog takes.
constexpr DWORD kMaxPolicyCheckFrequency = 9999;
// Longer than any version or window; a longer text is refused unread.
constexpr DWORD kMaxPolicyTextChars = 64;

// Two decimal digits at text[at], at most `max`.
bool ParseTwoDigits(const std::wstring& text, size_t at, int max, int* value) {
  if (at + 2 > text.size() || !IsAsciiDigit(text[at]) || !IsAsciiDigit(text[at + 1])) return false;
  *value = (text[at] - L'0') * 10 + (text[at + 1] - L'0');
  return *value <= max;
}

// "HH:MM" as minutes after midnight.
bool ParseClockTime(const std::wstring& text, int* minutes) {
  int hour = 0;
  int minute = 0;
  if (text.size() != 5 || text[2] != L':' || !ParseTwoDigits(text, 0, 23, &hour) ||
      !ParseTwoDigits(text, 3, 59, &minute)) {
    return false;
  }
  *minutes = hour * 60 + minute;
  return true;
}

std::wstring Trimmed(const std::wstring& text) {
  const size_t first = text.find_first_not_of(L" \t");
  if (first == std::wstring::npos) return std::wstring();
  return text.substr(first, text.find_last_not_of(L" \t") - first + 1);
}

// Takes `value` as the policy at `index`; why it cannot be used, leaving `policy` alone, or empty
// when it was taken.
std::wstring Take(int index, const PolicyRegistryValue& value, AdminPolicy* policy) {
  if (index == kTargetVersion || index == kUpdateWindow) {
    if (value.type != REG_SZ) return L"not a text (REG_SZ)";
    if (value.tooLong) return L"longer than any valid value";
    if (index == kTargetVersion) {
      const std::wstring target = Trimmed(value.text);
      if (target.empty()) return L"empty";
      policy->targetVersion = target;
      return std::wstring();
    }
    UpdateWindowHours window;
    if (!ParseUpdateWindow(value.text, &window)) return L"not a window HH:MM-HH:MM";
    policy->updateWindow = window;
    return std::wstring();
  }
  if (value.type != REG_DWORD) return L"not a number (REG_DWORD)";
  const DWORD max = index == kAutoUpdatePolicy  ? 3
                    : index == kCheckFrequency ? kMaxPolicyCheckFrequency
                                               : 1;
  if (value.number > max) return FormatText(L"%lu is above %lu", value.number, max);
  switch (index) {
    case kDisableUpdates: policy->disableUpdates = value.number == 1; break;
    case kAutoUpdatePolicy: policy->autoUpdatePolicy = value.number; break;
    case kCheckFrequency: policy->checkFrequency = value.number; break;
    case kAllowMeteredDownloads: policy->allowMeteredDownloads = value.number == 1; break;
  }
  return std::wstring();
}

PolicyRegistryValue ReadPolicyValue(HKEY key, const wchar_t* name) {
  PolicyRegistryValue value;
  wchar_t buffer[kMaxPolicyTextChars + 1] = {};
  DWORD size = sizeof(buffer) - sizeof(wchar_t);
  const LSTATUS status = RegQueryValueExW(key, name, nullptr, &value.type,
                                          reinterpret_cast<BYTE*>(buffer), &size);
  if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) return value;
  value.present = true;
  if (value.type == REG_DWORD) {
    if (size == sizeof(DWORD)) {
      std::memcpy(&value.number, buffer, sizeof(DWORD));
    } else {
      value.type = REG_BINARY;  // a DWORD of another size is no number
    }
  } else if (value.type == REG_SZ) {
    value.tooLong = status == ERROR_MORE_DATA;
    if (!value.tooLong) value.text.assign(buffer, size / sizeof(wchar_t));
    while (!value.text.empty() && value.text.back() == L'\0') value.text.pop_back();
  }
  return value;
}

PolicyValues ReadPolicyValues(HKEY root, const std::wstring& path) {
  PolicyValues values;
  RegistryKey key;
  if (path.empty() || RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) {
    return values;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    values[i] = ReadPolicyValue(key.Get(), kPolicyValueNames[i]);
  }
  return values;
}

}  // namespace

const wchar_t* const kPolicyValueNames[kPolicyValueCount] = {
    L"DisableUpdates", L"AutoUpdatePolicy", L"CheckFrequency",
    L"TargetVersion",  L"UpdateWindow",     L"AllowMeteredDownloads"};

std::wstring PolicyKeyPath(const std::wstring& id) {
  return id.empty() ? std::wstring() : L"Software\\Policies\\Merrow\\Ruddle\\" + id;
}

bool ParseUpdateWindow(const std::wstring& text, UpdateWindowHours* window) {
  const size_t dash = text.find(L'-');
  if (dash == std::wstring::npos) return false;
  UpdateWindowHours parsed;
  if (!ParseClockTime(Trimmed(text.substr(0, dash)), &parsed.startMinute) ||
      !ParseClockTime(Trimmed(text.substr(dash + 1)), &parsed.endMinute) ||
      parsed.startMinute == parsed.endMinute) {
    return false;
  }
  *window = parsed;
  return true;
}

bool IsInsideWindow(const UpdateWindowHours& window, int minuteOfDay) {
  if (window.startMinute < window.endMinute) {
    return minuteOfDay >= window.startMinute && minuteOfDay < window.endMinute;
  }
  return minuteOfDay >= window.startMinute || minuteOfDay < window.endMinute;
}

std::wstring FormatUpdateWindow(const UpdateWindowHours& window) {
  return FormatText(L"%02d:%02d-%02d:%02d", window.startMinute / 60, window.startMinute % 60,
                    window.endMinute / 60, window.endMinute % 60);
}

AdminPolicy DecideAdminPolicy(const PolicyValues& machine, const PolicyValues& user) {
  AdminPolicy policy;
  for (int index = 0; index < static_cast<int>(machine.size()); ++index) {
    const std::pair<const wchar_t*, const PolicyRegistryValue*> sources[] = {
        {L"HKEY_LOCAL_MACHINE", &machine[index]}, {L"HKEY_CURRENT_USER", &user[index]}};
    for (const auto& [root, value] : sources) {
      if (!value->present) continue;
      const std::wstring why = Take(index, *value, &policy);
      if (why.empty()) break;
      policy.problems.push_back(L"Ignored the policy value " + std::wstring(kPolicyValueNames[index]) +
                                L" under " + root + L": " + why);
    }
  }
  return policy;
}

AdminPolicy ReadAdminPolicy(const std::wstring& id, bool machineOnly) {
  const std::wstring path = PolicyKeyPath(id);
  return DecideAdminPolicy(ReadPolicyValues(HKEY_LOCAL_MACHINE, path),
                           machineOnly ? PolicyValues{} : ReadPolicyValues(HKEY_CURRENT_USER, path));
}

}  // namespace updater
