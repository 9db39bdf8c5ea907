#include "automation/ComRegistration.h"

#include <windows.h>
#include <oleauto.h>

#include <cwctype>

#include "automation/TovanUpdater.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr wchar_t kClasses[] = L"Software\\Classes\\";

// The default value of the key `path`.
ResultCode WriteKey(const std::wstring& path, const std::wstring& value) {
  HKEY opened = nullptr;
  LSTATUS status = RegCreateKeyExW(HKEY_LOCAL_MACHINE, (kClasses + path).c_str(), 0, nullptr, 0,
                                   KEY_SET_VALUE, nullptr, &opened, nullptr);
  if (status != ERROR_SUCCESS) return static_cast<ResultCode>(status);
  const RegistryKey key(opened);
  status = RegSetValueExW(key.Get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  return static_cast<ResultCode>(status);
}

ResultCode DeleteKey(const std::wstring& path) {
  const LSTATUS status = RegDeleteTreeW(HKEY_LOCAL_MACHINE, (kClasses + path).c_str());
  return status == ERROR_FILE_NOT_FOUND ? kSuccess : static_cast<ResultCode>(status);
}

std::wstring LibraryIdText() {
  wchar_t text[40] = {};
  StringFromGUID2(LIBID_TovanUpdater, text, 40);
  return text;
}

}  // namespace

std::wstring ProgIdOf(const std::wstring& classId) {
  CLSID parsed;
  if (classId.size() != 38 || FAILED(CLSIDFromString(classId.c_str(), &parsed))) return {};
  std::wstring progId = L"Tovan.";
  for (wchar_t c : classId) {
    if (std::iswxdigit(c)) progId += static_cast<wchar_t>(std::towupper(c));
  }
  return progId;
}

std::wstring LocalServerCommand(const std::wstring& executablePath, const std::wstring& classId) {
  return L"\"" + executablePath + L"\" /automation -clsid " + classId;
}

ResultCode RegisterAutomation(const std::wstring& classId, const std::wstring& executablePath) {
  const std::wstring progId = ProgIdOf(classId);
  if (progId.empty()) return kInvalidCommandLine;
  ITypeLib* library = nullptr;
  const HRESULT loaded = LoadTypeLibEx(executablePath.c_str(), REGKIND_REGISTER, &library);
  if (FAILED(loaded)) return static_cast<ResultCode>(loaded);
  library->Release();
  const std::wstring classKey = L"CLSID\\" + classId;
  const struct {
    std::wstring key;
    std::wstring value;
  } values[] = {
      {classKey, L"Tovanix Updater COM"},
      {classKey + L"\\LocalServer32", LocalServerCommand(executablePath, classId)},
      {classKey + L"\\ProgID", progId},
      {classKey + L"\\TypeLib", LibraryIdText()},
      {progId, L"Tovanix Updater COM"},
      {progId + L"\\CLSID", classId},
  };
  for (const auto& value : values) {
    if (const ResultCode written = WriteKey(value.key, value.value);
        written != kSuccess) {
      return written;
    }
  }
  return kSuccess;
}

ResultCode UnregisterAutomation(const std::wstring& classId, const std::wstring& executablePath) {
  const std::wstring progId = ProgIdOf(classId);
  if (progId.empty()) return kInvalidCommandLine;
  ResultCode result = DeleteKey(L"CLSID\\" + classId);
  if (const ResultCode deleted = DeleteKey(progId); result == kSuccess) result = deleted;
  BSTR registeredPath = nullptr;
  if (SUCCEEDED(QueryPathOfRegTypeLib(LIBID_TovanUpdater, 1, 0, LOCALE_NEUTRAL, &registeredPath))) {
    // The library is registered with the long-path prefix.
    std::wstring registered = registeredPath;
    if (registered.rfind(L"\\\\?\\", 0) == 0) registered.erase(0, 4);
    if (CompareStringOrdinal(registered.c_str(), -1, executablePath.c_str(), -1, TRUE) ==
        CSTR_EQUAL) {
      // Registered under the platform of this build's pointers.
      UnRegisterTypeLib(LIBID_TovanUpdater, 1, 0, LOCALE_NEUTRAL,
                        sizeof(void*) == 8 ? SYS_WIN64 : SYS_WIN32);
    }
    SysFreeString(registeredPath);
  }
  return result;
}

}  // namespace updater
