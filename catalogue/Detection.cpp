#include "catalogue/Detection.h"

#include <shlwapi.h>

#include <cwchar>
#include <vector>

#include "base/Logger.h"
#include "base/ProcessStart.h"
#include "base/UniqueHandle.h"
#include "catalogue/Applicability.h"
#include "catalogue/FileVersion.h"

namespace updater {
namespace {

struct RootName {
  const wchar_t* name;
  HKEY root;
};

struct ArchitectureName {
  const wchar_t* name;
  UINT32 architecture;
};

const ArchitectureName kArchitectures[] = {
    {L"x86", PROCESSOR_ARCHITECTURE_INTEL},
    {L"x64", PROCESSOR_ARCHITECTURE_AMD64},
    {L"neutral", PROCESSOR_ARCHITECTURE_NEUTRAL},
};

const ArchitectureName* FindArchitecture(const std::wstring& appIdArch) {
  for (const ArchitectureName& known : kArchitectures) {
    if (_wcsicmp(appIdArch.c_str(), known.name) == 0) return &known;
  }
  return nullptr;
}

constexpr DWORD kTerminationWaitMs = 5000;

const RootName kRoots[] = {
    {L"HKLM", HKEY_LOCAL_MACHINE}, {L"HKCU", HKEY_CURRENT_USER},  {L"HKU", HKEY_USERS},
    {L"HKCC", HKEY_CURRENT_CONFIG}, {L"HKCR", HKEY_CLASSES_ROOT}, {L"HKUD", nullptr},
};

// The layout of the system's PACKAGE_ID; the headers of this tool chain do not declare it, and
// the function that takes it exists only from Windows 8 on.
#pragma pack(push, 4)
struct PackageId {
  UINT32 reserved;
  UINT32 processorArchitecture;
  USHORT revision;
  USHORT build;
  USHORT minor;
  USHORT major;
  PWSTR name;
  PWSTR publisher;
  PWSTR resourceId;
  PWSTR publisherId;
};
#pragma pack(pop)

using GetPackagePathFunction = LONG(WINAPI*)(const PackageId*, UINT32, UINT32*, PWSTR);

GetPackagePathFunction FindGetPackagePath() {
  for (const wchar_t* library : {L"kernel32.dll", L"kernelbase.dll"}) {
    const HMODULE module = GetModuleHandleW(library);
    if (module == nullptr) continue;
    if (const FARPROC function = GetProcAddress(module, "GetPackagePath")) {
      return reinterpret_cast<GetPackagePathFunction>(reinterpret_cast<void*>(function));
    }
  }
  return nullptr;
}

bool IsFileInstalled(const UpdateInfo& update) {
  const std::wstring& path = update.detectionTarget;
  if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
  if (update.detectionBits & kDetectionVersionGiven) {
    // A file without a readable version resource counts as 0.0.0.0.
    VersionNumber fileVersion;
    ReadFileVersion(path, &fileVersion);
    if (!SatisfiesVersionCondition(update.versionOperator, update.version, fileVersion)) {
      return false;
    }
  }
  if (update.detectionBits & kDetectionFileSizeGiven) {
    if (update.fileSize == 0) return false;
    const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size = {};
    if (!file || !GetFileSizeEx(file.Get(), &size)) return false;
    return size.QuadPart == update.fileSize;
  }
  return true;
}

// The value's data as text whatever its registry type; data without a terminating NUL is taken
// as far as it goes instead of being read beyond.
bool ReadValueText(HKEY key, const std::wstring& valueName, std::wstring* text) {
  std::vector<BYTE> data(256);
  for (;;) {
    DWORD size = static_cast<DWORD>(data.size());
    const LONG status =
        RegQueryValueExW(key, valueName.c_str(), nullptr, nullptr, data.data(), &size);
    if (status == ERROR_MORE_DATA) {
      data.resize(size > data.size() ? size : data.size() * 2);
      continue;
    }
    if (status != ERROR_SUCCESS) return false;
    std::wstring value(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    const size_t end = value.find(L'\0');
    if (end != std::wstring::npos) value.resize(end);
    *text = std::move(value);
    return true;
  }
}

bool ReadValueVersion(HKEY key, const std::wstring& valueName, VersionNumber* version) {
  std::wstring text;
  return ReadValueText(key, valueName, &text) && version->Parse(text);
}

bool ValueSatisfiesVersion(HKEY key, const std::wstring& valueName, const UpdateInfo& update) {
  VersionNumber found;
  return ReadValueVersion(key, valueName, &found) &&
         SatisfiesVersionCondition(update.versionOperator, update.version, found);
}

RegistryKey OpenKey(HKEY root, const std::wstring& keyPath, REGSAM view) {
  RegistryKey key;
  if (RegOpenKeyExW(root, keyPath.c_str(), 0, KEY_READ | view, key.Put()) != ERROR_SUCCESS) {
    return RegistryKey();
  }
  return key;
}

bool FindRegistryVersion(const UpdateInfo& update, VersionNumber* found) {
  RegistryLocation location;
  if (!SplitRegistryKey(update.detectionTarget, &location)) return false;
  const REGSAM view = update.HasFlag(kUpdateSys64) ? KEY_WOW64_64KEY : 0;
  bool any = false;
  const auto consider = [&](HKEY root) {
    const RegistryKey key = OpenKey(root, location.keyPath, view);
    VersionNumber version;
    if (!key || !ReadValueVersion(key.Get(), location.valueName, &version)) return;
    if (!any || !AtLeast(*found, version)) *found = version;
    any = true;
  };
  if (location.isPerUserOrMachine) {
    consider(HKEY_CURRENT_USER);
    consider(HKEY_LOCAL_MACHINE);
  } else {
    consider(location.root);
  }
  return any;
}

bool IsRegistryValueInstalled(const UpdateInfo& update) {
  RegistryLocation location;
  if (!SplitRegistryKey(update.detectionTarget, &location)) return false;
  const REGSAM view = update.HasFlag(kUpdateSys64) ? KEY_WOW64_64KEY : 0;
  if (!location.isPerUserOrMachine) {
    const RegistryKey key = OpenKey(location.root, location.keyPath, view);
    return key && ValueSatisfiesVersion(key.Get(), location.valueName, update);
  }
  const RegistryKey userKey = OpenKey(HKEY_CURRENT_USER, location.keyPath, view);
  const RegistryKey machineKey = OpenKey(HKEY_LOCAL_MACHINE, location.keyPath, view);
  if (!userKey && !machineKey) return false;
  if (!(update.detectionBits & kDetectionVersionGiven)) return true;
  return (userKey && ValueSatisfiesVersion(userKey.Get(), location.valueName, update)) ||
         (machineKey && ValueSatisfiesVersion(machineKey.Get(), location.valueName, update));
}

bool IsCustomDetectionInstalled(const UpdateInfo& update, DWORD waitMs) {
  ShellOpen open{update.detectionTarget, update.customDetectionParams};
  open.show = SW_HIDE;
  KernelHandle process;
  // A document opened in a running program gives no process, and so no exit code to read.
  if (OpenThroughShell(open, &process) != kSuccess || !process) return false;
  if (WaitForSingleObject(process.Get(), waitMs) != WAIT_OBJECT_0) {
    Log(kLogError, L"Custom detection \"" + update.detectionTarget + L"\" has not ended within " +
                       std::to_wstring(waitMs) + L" ms: ended, update not detected.");
    TerminateProcess(process.Get(), ERROR_TIMEOUT);
    // Ending is asynchronous; what it holds is released once the process is gone.
    WaitForSingleObject(process.Get(), kTerminationWaitMs);
    return false;
  }
  DWORD exitCode = 0;
  return GetExitCodeProcess(process.Get(), &exitCode) && exitCode != 0;
}

bool IsAppPackageInstalled(const UpdateInfo& update) {
  const GetPackagePathFunction getPackagePath = FindGetPackagePath();
  if (getPackagePath == nullptr) return false;
  // The identity points into copies, since the function takes writable strings.
  std::wstring name = update.appIdName;
  std::wstring resourceId = update.appIdResourceId;
  std::wstring publisherId = update.appIdPublisherId;
  PackageId id = {};
  id.processorArchitecture = PackageArchitecture(update.appIdArch);
  id.major = static_cast<USHORT>(update.version.Field(0));
  id.minor = static_cast<USHORT>(update.version.Field(1));
  id.build = static_cast<USHORT>(update.version.Field(2));
  id.revision = static_cast<USHORT>(update.version.Field(3));
  id.name = name.data();
  id.resourceId = resourceId.empty() ? nullptr : resourceId.data();
  id.publisherId = publisherId.data();
  std::wstring path(MAX_PATH, L'\0');
  UINT32 length = static_cast<UINT32>(path.size());
  LONG status = getPackagePath(&id, 0, &length, path.data());
  if (status == ERROR_INSUFFICIENT_BUFFER) {
    path.assign(length, L'\0');
    status = getPackagePath(&id, 0, &length, path.data());
  }
  if (status != ERROR_SUCCESS || length == 0 || length > path.size()) return false;
  path.resize(wcsnlen(path.c_str(), length));
  return PathFileExistsW(path.c_str()) != FALSE;
}

}  // namespace

bool SatisfiesVersionCondition(VersionOperator versionOperator, const VersionNumber& required,
                               const VersionNumber& detected) {
  switch (versionOperator) {
    case VersionOperator::Equal:
      return Equal(detected, required);
    case VersionOperator::AtLeast:
      return AtLeast(detected, required);
    case VersionOperator::None:
      return false;
  }
  return false;
}

bool SplitRegistryKey(const std::wstring& text, RegistryLocation* location) {
  const size_t rootEnd = text.find(L'\\');
  if (rootEnd == std::wstring::npos) return false;
  const size_t valueStart = text.rfind(L'\\');
  if (valueStart == rootEnd) return false;
  const std::wstring rootName = text.substr(0, rootEnd);
  RegistryLocation parsed;
  parsed.keyPath = text.substr(rootEnd + 1, valueStart - rootEnd - 1);
  parsed.valueName = text.substr(valueStart + 1);
  if (parsed.keyPath.empty() || parsed.valueName.empty()) return false;
  for (const RootName& root : kRoots) {
    if (rootName != root.name) continue;
    parsed.root = root.root;
    parsed.isPerUserOrMachine = root.root == nullptr;
    *location = std::move(parsed);
    return true;
  }
  return false;
}

UINT32 PackageArchitecture(const std::wstring& appIdArch) {
  const ArchitectureName* known = FindArchitecture(appIdArch);
  return known != nullptr ? known->architecture : PROCESSOR_ARCHITECTURE_INTEL;
}

bool IsPackageArchitectureName(const std::wstring& appIdArch) {
  return FindArchitecture(appIdArch) != nullptr;
}

bool IsInstalled(const UpdateInfo& update) { return IsInstalled(update, kCustomDetectionWaitMs); }

bool IsInstalled(const UpdateInfo& update, DWORD customDetectionWaitMs) {
  switch (update.detectionKind) {
    case DetectionKind::File:
      return update.targetUnresolved == 0 && IsFileInstalled(update);
    case DetectionKind::Registry:
      return IsRegistryValueInstalled(update);
    case DetectionKind::Custom:
      return update.targetUnresolved == 0 &&
             IsCustomDetectionInstalled(update, customDetectionWaitMs);
    case DetectionKind::AppPackage:
      return IsAppPackageInstalled(update);
    case DetectionKind::None:
      return false;
  }
  return false;
}

bool FindInstalledVersion(const UpdateInfo& update, VersionNumber* found) {
  if (!(update.detectionBits & kDetectionVersionGiven)) return false;
  switch (update.detectionKind) {
    case DetectionKind::Registry:
      return FindRegistryVersion(update, found);
    case DetectionKind::File:
      return GetFileAttributesW(update.detectionTarget.c_str()) != INVALID_FILE_ATTRIBUTES &&
             ReadFileVersion(update.detectionTarget, found);
    default:
      return false;
  }
}

ApplicabilityState EvaluateUpdate(UpdateInfo& update, const OsFacts& os, const ClientFacts& client,
                                  bool (*isInstalled)(const UpdateInfo&)) {
  if (update.evaluated) return ApplicabilityState::NotApplicable;
  const std::wstring& applicationName = client.applicationName;
  const std::wstring& applicationVersion = client.applicationVersion;
  const bool wrongWidth = os.is64Bit ? update.HasFlag(kUpdateOs32Only) : update.HasFlag(kUpdateOs64);
  if (wrongWidth || !IsOsVersionInRange(update, os) ||
      !MatchesApplicationVersion(update, applicationVersion) ||
      !MatchesApplication(update, applicationName, applicationVersion)) {
    update.evaluated = false;
    return ApplicabilityState::NotApplicable;
  }
  if (isInstalled(update)) return ApplicabilityState::Installed;
  // Marked before the dependency is looked at, so that two updates that depend on each other
  // end instead of evaluating each other without end.
  update.evaluated = true;
  if (update.dependsOn != nullptr) EvaluateUpdate(*update.dependsOn, os, client, isInstalled);
  return ApplicabilityState::Needed;
}

ApplicabilityState SystemUpdateEvaluator::Evaluate(UpdateInfo& update) {
  return EvaluateUpdate(update, CurrentOsFacts(), client_, IsInstalled);
}

}  // namespace updater
