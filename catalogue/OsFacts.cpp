#include "catalogue/OsFacts.h"

#include <climits>
#include <cwchar>
#include <vector>

#include "base/AnsiText.h"
#include "base/OsVersion.h"
#include "base/TextUtil.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr wchar_t kCurrentVersionKey[] = L"Software\\Microsoft\\Windows NT\\CurrentVersion";
// Windows 11 kept major version 10; only its build and branch tell it apart.
constexpr int kLastWindows10Build = 21999;

// Leading digits of the text as a number; none gives 0. Digits that would overflow are dropped.
int LeadingNumber(const std::wstring& text) {
  int value = 0;
  for (const wchar_t c : text) {
    if (!IsAsciiDigit(c) || value > (INT_MAX - 9) / 10) break;
    value = value * 10 + (c - L'0');
  }
  return value;
}

DWORD ReadDword(HKEY key, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return 0;
  }
  return value;
}

std::wstring ReadText(HKEY key, const wchar_t* name) {
  DWORD size = 0;
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS) {
    return {};
  }
  std::vector<wchar_t> buffer(size / sizeof(wchar_t) + 1, L'\0');
  size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (RegGetValueW(key, nullptr, name, RRF_RT_REG_SZ, nullptr, buffer.data(), &size) !=
      ERROR_SUCCESS) {
    return {};
  }
  return buffer.data();
}

OsVersionValues ReadOsVersionValues() {
  OsVersionValues values;
  RegistryKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kCurrentVersionKey, 0, KEY_READ, key.Put()) !=
      ERROR_SUCCESS) {
    return values;
  }
  values.currentMajorVersionNumber = ReadDword(key.Get(), L"CurrentMajorVersionNumber");
  values.currentMinorVersionNumber = ReadDword(key.Get(), L"CurrentMinorVersionNumber");
  values.currentVersion = ReadText(key.Get(), L"CurrentVersion");
  values.currentBuildNumber = ReadText(key.Get(), L"CurrentBuildNumber");
  values.buildBranch = ReadText(key.Get(), L"BuildBranch");
  return values;
}

}  // namespace

VersionNumber OsFacts::Version() const { return VersionNumber(major, minor, build, 0); }

OsFacts ComputeOsFacts(const OsVersionValues& values, bool is64Bit) {
  OsFacts facts;
  facts.is64Bit = is64Bit;
  facts.major = static_cast<int>(values.currentMajorVersionNumber);
  facts.minor = static_cast<int>(values.currentMinorVersionNumber);
  if (facts.major == 0) {
    // Systems before Windows 10 only have the "6.1" text.
    const std::wstring& text = values.currentVersion;
    if (text.size() == 3 && IsAsciiDigit(text[0]) && IsAsciiDigit(text[2])) {
      facts.major = text[0] - L'0';
      facts.minor = text[2] - L'0';
    }
  }
  facts.build = LeadingNumber(values.currentBuildNumber);
  if (facts.major == 10 && facts.build > kLastWindows10Build &&
      (EqualsIgnoringCase(values.buildBranch, L"co_release") ||
       EqualsIgnoringCase(values.buildBranch, L"rs_prerelease"))) {
    facts.major = 11;
  }
  return facts;
}

const OsFacts& CurrentOsFacts() {
  static const OsFacts facts = ComputeOsFacts(ReadOsVersionValues(), IsWindows64Bit());
  return facts;
}

}  // namespace updater
