#include "service/IpcNames.h"

#include <objbase.h>

#include "base/AnsiText.h"
#include "base/ResultText.h"
#include "base/TextUtil.h"

namespace updater {
namespace {

// Far above the 36 characters of a GUID name and the paths of the legacy form, far below the
// 32,767 of an object name.
constexpr std::size_t kMaxIpcBaseNameLength = 200;

}  // namespace

IpcObjectNames MakeIpcObjectNames(const std::wstring& baseName) {
  return {L"Global\\srv_" + baseName, L"Global\\evt_" + baseName, L"Global\\evt2_" + baseName,
          L"Global\\evt3_" + baseName, L"Global\\mtx_" + baseName};
}

std::wstring GuidBaseName(const GUID& guid) {
  return FormatText(L"%08X_%04X_%04X_%02X%02X_%02X%02X%02X%02X%02X%02X", guid.Data1, guid.Data2,
                    guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3],
                    guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
}

std::wstring NewIpcBaseName() {
  GUID guid = {};
  if (FAILED(CoCreateGuid(&guid))) return {};
  return GuidBaseName(guid);
}

std::wstring ServiceExecutableOf(const std::wstring& binaryPath) {
  std::wstring name = binaryPath.substr(0, binaryPath.find(L'/'));
  const std::size_t start = name.find_first_not_of(L" \t");
  if (start == std::wstring::npos) return {};
  if (name[start] == L'"') {
    const std::size_t close = name.find(L'"', start + 1);
    name = name.substr(start + 1,
                       close == std::wstring::npos ? std::wstring::npos : close - start - 1);
  } else {
    name = name.substr(start, name.find_first_of(L" \t", start) - start);
  }
  return Trim(name, L" \t");
}

std::wstring LegacyIpcBaseName(const std::wstring& binaryPath) {
  std::wstring name = ServiceExecutableOf(binaryPath);
  for (wchar_t& c : name) {
    if (c == L'\\') c = L'_';
  }
  if (!name.empty()) CharLowerBuffW(&name[0], static_cast<DWORD>(name.size()));
  return name;
}

bool IsValidIpcBaseName(const std::wstring& baseName) {
  if (baseName.empty() || baseName.size() > kMaxIpcBaseNameLength) return false;
  if (baseName.front() == L' ' || baseName.back() == L' ') return false;
  for (const wchar_t c : baseName) {
    if (IsControlCharacter(c) || c == L'\\' || c == L'/' || c == L'"') {
      return false;
    }
  }
  return true;
}

}  // namespace updater
