#include "notify/UrlProtocol.h"

#include "base/UniqueHandle.h"

namespace updater {
namespace {

std::wstring ClassKey(const std::wstring& scheme) { return L"Software\\Classes\\" + scheme; }

ResultCode SetText(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

}  // namespace

std::wstring ProtocolOpenCommand(const std::wstring& executablePath) {
  return L"\"" + executablePath + L"\" %1";
}

ResultCode RegisterProtocol(HKEY root, const std::wstring& scheme,
                            const std::wstring& executablePath) {
  const std::wstring classKey = ClassKey(scheme);
  const std::wstring commandKey = classKey + L"\\shell\\open\\command";
  RegistryKey existing;
  if (RegOpenKeyExW(root, commandKey.c_str(), 0, KEY_READ, existing.Put()) == ERROR_SUCCESS) {
    return kSuccess;
  }
  RegistryKey key;
  ResultCode result = RegCreateKeyExW(root, classKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                      nullptr, key.Put(), nullptr);
  if (result == kSuccess) result = SetText(key.Get(), nullptr, L"URL:" + scheme);
  if (result == kSuccess) result = SetText(key.Get(), L"URL Protocol", L"");
  if (result != kSuccess) return result;
  RegistryKey command;
  result = RegCreateKeyExW(root, commandKey.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                           command.Put(), nullptr);
  if (result != kSuccess) return result;
  return SetText(command.Get(), nullptr, ProtocolOpenCommand(executablePath));
}

void UnregisterProtocol(HKEY root, const std::wstring& scheme) {
  const std::wstring classKey = ClassKey(scheme);
  for (const wchar_t* below : {L"\\shell\\open\\command", L"\\shell\\open", L"\\shell", L""}) {
    RegDeleteKeyW(root, (classKey + below).c_str());
  }
}

}  // namespace updater
