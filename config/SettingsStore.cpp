#include "config/SettingsStore.h"

#include <utility>
#include <vector>

#include "base/UniqueHandle.h"

namespace updater {

namespace {

constexpr wchar_t kProductKey[] = L"Software\\Merrow\\Ruddle";

// Reads of DWORDs and strings need no more than read access.
RegistryKey OpenForReading(HKEY root, SettingsKey kind, const std::wstring& id) {
  RegistryKey key;
  const std::wstring path = SettingsKeyPath(kind, id);
  if (!path.empty()) RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, key.Put());
  return key;
}

// Every other operation opens the key with all access and creates it when missing.
ResultCode OpenForWriting(HKEY root, SettingsKey kind, const std::wstring& id, RegistryKey* key) {
  const std::wstring path = SettingsKeyPath(kind, id);
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                         nullptr, key->Put(), nullptr);
}

// A value of exactly `size` bytes, of `type` unless `type` is REG_NONE.
bool QueryFixedSize(HKEY key, const std::wstring& name, DWORD type, void* data, DWORD size) {
  DWORD actualType = REG_NONE;
  DWORD actualSize = size;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &actualType, static_cast<BYTE*>(data),
                       &actualSize) != ERROR_SUCCESS) {
    return false;
  }
  return actualSize == size && (type == REG_NONE || actualType == type);
}

ResultCode SetValue(HKEY key, const std::wstring& name, DWORD type, const void* data, DWORD size) {
  return RegSetValueExW(key, name.c_str(), 0, type, static_cast<const BYTE*>(data), size);
}

}  // namespace

std::wstring SettingsKeyPath(SettingsKey kind, const std::wstring& id) {
  const std::wstring product = kProductKey;
  if (kind == SettingsKey::Root) return product;
  if (id.empty()) return std::wstring();
  const std::wstring client = product + L"\\" + id;
  switch (kind) {
    case SettingsKey::Settings: return client + L"\\Settings";
    case SettingsKey::Updates: return client + L"\\Updates";
    case SettingsKey::UpdateLocks: return client + L"\\Updates\\Locks";
    case SettingsKey::Client: return client;
    case SettingsKey::Messages: return client + L"\\Messages";
    case SettingsKey::MessageResources: return client + L"\\Messages\\Resources";
    case SettingsKey::Root: break;
  }
  return std::wstring();
}

bool ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                        std::wstring* value) {
  RegistryKey key;
  if (RegOpenKeyExW(root, subKey.c_str(), 0, KEY_READ, key.Put()) != ERROR_SUCCESS) return false;
  std::vector<BYTE> buffer(256 * sizeof(wchar_t));
  DWORD type = REG_NONE;
  LSTATUS status;
  for (;;) {
    DWORD size = static_cast<DWORD>(buffer.size());
    status = RegQueryValueExW(key.Get(), name.c_str(), nullptr, &type, buffer.data(), &size);
    if (status != ERROR_MORE_DATA) {
      if (status == ERROR_SUCCESS) buffer.resize(size);
      break;
    }
    buffer.resize(size);
  }
  if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
  // The stored data need not end with a terminator, or may end with several.
  std::wstring text(reinterpret_cast<const wchar_t*>(buffer.data()),
                    buffer.size() / sizeof(wchar_t));
  const std::size_t terminator = text.find(L'\0');
  if (terminator != std::wstring::npos) text.resize(terminator);
  *value = std::move(text);
  return true;
}

SettingsStore::SettingsStore(HKEY root, std::wstring id) : root_(root), id_(std::move(id)) {}

bool SettingsStore::ReadFlag(SettingsKey kind, const std::wstring& name, bool* value) const {
  RegistryKey key;
  if (OpenForWriting(root_, kind, id_, &key) != ERROR_SUCCESS) return false;
  DWORD data = 0;
  if (!QueryFixedSize(key.Get(), name, REG_NONE, &data, sizeof(data))) return false;
  *value = data != 0;
  return true;
}

bool SettingsStore::ReadTime(SettingsKey kind, const std::wstring& name, FILETIME* value) const {
  RegistryKey key;
  if (OpenForWriting(root_, kind, id_, &key) != ERROR_SUCCESS) return false;
  FILETIME data = {};
  if (!QueryFixedSize(key.Get(), name, REG_BINARY, &data, sizeof(data))) return false;
  *value = data;
  return true;
}

ResultCode SettingsStore::WriteTime(SettingsKey kind, const std::wstring& name,
                                    const FILETIME& value) const {
  RegistryKey key;
  const ResultCode result = OpenForWriting(root_, kind, id_, &key);
  if (result != ERROR_SUCCESS) return result;
  return SetValue(key.Get(), name, REG_BINARY, &value, sizeof(value));
}

bool SettingsStore::ReadDword(SettingsKey kind, const std::wstring& name, DWORD* value) const {
  const RegistryKey key = OpenForReading(root_, kind, id_);
  if (!key) return false;
  DWORD data = 0;
  if (!QueryFixedSize(key.Get(), name, REG_DWORD, &data, sizeof(data))) return false;
  *value = data;
  return true;
}

ResultCode SettingsStore::WriteDword(SettingsKey kind, const std::wstring& name,
                                     DWORD value) const {
  RegistryKey key;
  const ResultCode result = OpenForWriting(root_, kind, id_, &key);
  if (result != ERROR_SUCCESS) return result;
  return SetValue(key.Get(), name, REG_DWORD, &value, sizeof(value));
}

bool SettingsStore::ReadString(SettingsKey kind, const std::wstring& name,
                               std::wstring* value) const {
  const std::wstring path = SettingsKeyPath(kind, id_);
  return !path.empty() && ReadRegistryString(root_, path, name, value);
}

ResultCode SettingsStore::WriteString(SettingsKey kind, const std::wstring& name,
                                      const std::wstring& value) const {
  RegistryKey key;
  const ResultCode result = OpenForWriting(root_, kind, id_, &key);
  if (result != ERROR_SUCCESS) return result;
  return SetValue(key.Get(), name, REG_SZ, value.c_str(),
                  static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

ResultCode SettingsStore::DeleteValue(SettingsKey kind, const std::wstring& name) const {
  RegistryKey key;
  const ResultCode result = OpenForWriting(root_, kind, id_, &key);
  if (result != ERROR_SUCCESS) return result;
  return RegDeleteValueW(key.Get(), name.c_str());
}

}  // namespace updater
