#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

// The registry keys that settings live in; "%s" is the configuration ID.
enum class SettingsKey {
  Settings = 0,          // Software\Merrow\Ruddle\%s\Settings
  Updates = 1,           // Software\Merrow\Ruddle\%s\Updates
  UpdateLocks = 2,       // Software\Merrow\Ruddle\%s\Updates\Locks
  Client = 3,            // Software\Merrow\Ruddle\%s
  Root = 4,              // Software\Merrow\Ruddle
  Messages = 5,          // Software\Merrow\Ruddle\%s\Messages
  MessageResources = 6,  // Software\Merrow\Ruddle\%s\Messages\Resources
};

// The path of a settings key below its root. Empty when the kind needs an ID and `id` is empty, so
// that a configuration without ID never touches the keys shared by all configurations.
std::wstring SettingsKeyPath(SettingsKey kind, const std::wstring& id);

// A REG_SZ or REG_EXPAND_SZ value (not expanded) of any length. False when the key cannot be
// opened for reading or the value is missing or of another type.
bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                        std::wstring* value);

// Values under one root key (HKEY_CURRENT_USER or HKEY_LOCAL_MACHINE) for one configuration ID.
// A key that cannot be opened reads as if the value did not exist; reads return whether the value
// existed with the expected type and size. Writes return 0 or the Windows error, which callers may
// ignore, as a setting that cannot be stored is not worth ending a run for.
class SettingsStore {
 public:
  SettingsStore(HKEY root, std::wstring id);

  HKEY Root() const { return root_; }
  const std::wstring& Id() const { return id_; }

  // A 4-byte value; true when not 0.
  bool ReadFlag(SettingsKey kind, const std::wstring& name, bool* value) const;
  // An 8-byte REG_BINARY value.
  bool ReadTime(SettingsKey kind, const std::wstring& name, FILETIME* value) const;
  ResultCode WriteTime(SettingsKey kind, const std::wstring& name, const FILETIME& value) const;
  bool ReadDword(SettingsKey kind, const std::wstring& name, DWORD* value) const;
  ResultCode WriteDword(SettingsKey kind, const std::wstring& name, DWORD value) const;
  bool ReadString(SettingsKey kind, const std::wstring& name, std::wstring* value) const;
  ResultCode WriteString(SettingsKey kind, const std::wstring& name,
                         const std::wstring& value) const;
  ResultCode DeleteValue(SettingsKey kind, const std::wstring& name) const;

 private:
  HKEY root_;
  std::wstring id_;
};

}  // namespace updater
