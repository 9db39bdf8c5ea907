#include "catalogue/Detection.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/ClientConfig.h"

namespace updater {
namespace {

using test::Narrow;
using test::ScopedRegistryTree;
using test::SetRegistryString;
using test::TempFolder;
using test::TextEncoding;
using test::ThisExecutableFolder;
using test::UniqueName;
using test::WriteTextFile;

VersionNumber Version(const wchar_t* text) {
  VersionNumber version;
  version.Parse(text);
  return version;
}

std::wstring Fixture(const std::wstring& name) {
  return ThisExecutableFolder() + L"\\fixtures\\" + name;
}

// Sets the Version key the way the loader stores it; an empty text is no Version key.
void SetVersion(UpdateInfo* update, VersionOperator versionOperator, const wchar_t* text) {
  update->versionOperator = versionOperator;
  update->version = Version(text);
  if (versionOperator != VersionOperator::None) update->detectionBits |= kDetectionVersionGiven;
}

TEST(DetectionTest, VersionConditionNeedsAnOperator) {
  struct Case {
    VersionOperator op;
    const wchar_t* required;
    const wchar_t* detected;
    bool holds;
  };
  const Case cases[] = {
      {VersionOperator::AtLeast, L"2.0", L"2.0.0.1", true},
      {VersionOperator::AtLeast, L"2.0", L"2.0", true},
      {VersionOperator::AtLeast, L"2.0", L"1.9.9.9", false},
      {VersionOperator::Equal, L"2.0", L"2.0.0.1", false},
      {VersionOperator::Equal, L"2.0", L"2.0.0.0", true},
      {VersionOperator::None, L"0.0", L"2.0", false},
      {VersionOperator::None, L"2.0", L"2.0", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.holds, SatisfiesVersionCondition(c.op, Version(c.required), Version(c.detected)))
        << static_cast<int>(c.op) << " " << Narrow(c.required) << " vs " << Narrow(c.detected);
  }
}

TEST(DetectionTest, SplitsRegistryKeyIntoRootKeyAndValue) {
  struct Case {
    const wchar_t* text;
    bool valid;
    HKEY root;
    const wchar_t* keyPath;
    const wchar_t* valueName;
    bool perUserOrMachine;
  };
  const Case cases[] = {
      {L"HKLM\\Software\\Acme\\Viewer\\Version", true, HKEY_LOCAL_MACHINE, L"Software\\Acme\\Viewer",
       L"Version", false},
      {L"HKCU\\Software\\Version", true, HKEY_CURRENT_USER, L"Software", L"Version", false},
      {L"HKU\\.DEFAULT\\Acme\\V", true, HKEY_USERS, L".DEFAULT\\Acme", L"V", false},
      {L"HKCC\\System\\V", true, HKEY_CURRENT_CONFIG, L"System", L"V", false},
      {L"HKCR\\.txt\\Content Type", true, HKEY_CLASSES_ROOT, L".txt", L"Content Type", false},
      {L"HKUD\\Software\\Acme\\Version", true, nullptr, L"Software\\Acme", L"Version", true},
      {L"hklm\\Software\\Acme\\Version", false, nullptr, L"", L"", false},
      {L"Hkud\\Software\\Acme\\Version", false, nullptr, L"", L"", false},
      {L"HKEY_LOCAL_MACHINE\\Software\\Acme\\Version", false, nullptr, L"", L"", false},
      {L"HKLM\\Version", false, nullptr, L"", L"", false},
      {L"HKLM", false, nullptr, L"", L"", false},
      {L"HKLM\\Software\\Acme\\", false, nullptr, L"", L"", false},
      {L"\\Software\\Acme\\Version", false, nullptr, L"", L"", false},
      {L"", false, nullptr, L"", L"", false},
  };
  for (const Case& c : cases) {
    RegistryLocation location;
    location.keyPath = L"untouched";
    ASSERT_EQ(c.valid, SplitRegistryKey(c.text, &location)) << Narrow(c.text);
    if (!c.valid) {
      EXPECT_EQ(L"untouched", location.keyPath) << Narrow(c.text);
      continue;
    }
    EXPECT_EQ(c.root, location.root) << Narrow(c.text);
    EXPECT_EQ(c.keyPath, location.keyPath) << Narrow(c.text);
    EXPECT_EQ(c.valueName, location.valueName) << Narrow(c.text);
    EXPECT_EQ(c.perUserOrMachine, location.isPerUserOrMachine) << Narrow(c.text);
  }
}

TEST(DetectionTest, FileDetectionByExistenceVersionAndSize) {
  const TempFolder folder;
  const std::wstring fiveBytes = folder.File(L"five.txt");
  const std::wstring empty = folder.File(L"empty.txt");
  WriteTextFile(fiveBytes, L"12345", TextEncoding::Ansi);
  WriteTextFile(empty, L"", TextEncoding::Ansi);
  const std::wstring v2001 = Fixture(L"VersionedFixture-2.0.0.1.exe");
  struct Case {
    const char* what;
    std::wstring path;
    VersionOperator op;
    const wchar_t* version;
    bool sizeGiven;
    int size;
    bool installed;
  };
  const Case cases[] = {
      {">= 2.0 against 2.0.0.1", v2001, VersionOperator::AtLeast, L"2.0", false, 0, true},
      {"= 2.0 against 2.0.0.1", v2001, VersionOperator::Equal, L"2.0", false, 0, false},
      {"= 2.0.0.1 against 2.0.0.1", v2001, VersionOperator::Equal, L"2.0.0.1", false, 0, true},
      {">= 2.0 against 1.0.0.0", Fixture(L"VersionedFixture-1.0.0.0.exe"), VersionOperator::AtLeast,
       L"2.0", false, 0, false},
      {">= 2.5.3 against 2.5.3.0", Fixture(L"VersionedFixture-2.5.3.0.exe"),
       VersionOperator::AtLeast, L"2.5.3", false, 0, true},
      {"existence alone", v2001, VersionOperator::None, L"", false, 0, true},
      {"missing file", folder.File(L"missing.exe"), VersionOperator::None, L"", false, 0, false},
      {"no version resource counts as 0.0.0.0", fiveBytes, VersionOperator::AtLeast, L"0.0", false,
       0, true},
      {"no version resource below 0.0.0.1", fiveBytes, VersionOperator::AtLeast, L"0.0.0.1", false,
       0, false},
      {"exact size", fiveBytes, VersionOperator::None, L"", true, 5, true},
      {"other size", fiveBytes, VersionOperator::None, L"", true, 6, false},
      {"FileSize 0 on an empty file", empty, VersionOperator::None, L"", true, 0, false},
      {"size of a folder", folder.Path(), VersionOperator::None, L"", true, 5, false},
      {"version and size both hold", v2001, VersionOperator::AtLeast, L"2.0", true, 1, false},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.detectionKind = DetectionKind::File;
    update.detectionTarget = c.path;
    SetVersion(&update, c.op, c.version);
    if (c.sizeGiven) {
      update.detectionBits |= kDetectionFileSizeGiven;
      update.fileSize = c.size;
    }
    EXPECT_EQ(c.installed, IsInstalled(update)) << c.what;
  }

  UpdateInfo unresolved;
  unresolved.detectionKind = DetectionKind::File;
  unresolved.detectionTarget = v2001;
  unresolved.targetUnresolved = 1;
  EXPECT_FALSE(IsInstalled(unresolved)) << "a path whose expansion failed";
}

// A value in the 64-bit registry view, where ScopedRegistryTree (32-bit view) cannot reach.
class Scoped64BitValue {
 public:
  Scoped64BitValue(std::wstring subKey, const std::wstring& name, const std::wstring& value)
      : subKey_(std::move(subKey)) {
    RegistryKey key;
    EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, subKey_.c_str(), 0, nullptr, 0,
                                             KEY_WRITE | KEY_WOW64_64KEY, nullptr, key.Put(),
                                             nullptr));
    EXPECT_EQ(ERROR_SUCCESS,
              RegSetValueExW(key.Get(), name.c_str(), 0, REG_SZ,
                             reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))));
  }
  ~Scoped64BitValue() { RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subKey_.c_str(), KEY_WOW64_64KEY, 0); }
  Scoped64BitValue(const Scoped64BitValue&) = delete;
  Scoped64BitValue& operator=(const Scoped64BitValue&) = delete;

 private:
  std::wstring subKey_;
};

UpdateInfo RegistryUpdate(const std::wstring& target, VersionOperator op, const wchar_t* version) {
  UpdateInfo update;
  update.detectionKind = DetectionKind::Registry;
  update.detectionTarget = target;
  SetVersion(&update, op, version);
  return update;
}

TEST(DetectionTest, RegistryDetectionUnderEachRoot) {
  // A user or machine entry of nullptr leaves the key out, L"" creates it without the value.
  struct Case {
    const char* what;
    const wchar_t* user;
    const wchar_t* machine;
    const wchar_t* root;
    VersionOperator op;
    const wchar_t* version;
    bool installed;
  };
  const Case cases[] = {
      {"HKLM at least", nullptr, L"2.0.0.1", L"HKLM", VersionOperator::AtLeast, L"2.0", true},
      {"HKLM equal", nullptr, L"2.0.0.1", L"HKLM", VersionOperator::Equal, L"2.0", false},
      {"HKLM without Version", nullptr, L"2.0.0.1", L"HKLM", VersionOperator::None, L"", false},
      {"HKLM value missing", nullptr, L"", L"HKLM", VersionOperator::AtLeast, L"1.0", false},
      {"HKLM key missing", L"2.0", nullptr, L"HKLM", VersionOperator::AtLeast, L"1.0", false},
      {"HKLM value not a version", nullptr, L"none", L"HKLM", VersionOperator::AtLeast, L"0.0",
       false},
      {"HKCU at least", L"3.1", nullptr, L"HKCU", VersionOperator::AtLeast, L"3.0", true},
      {"root in lower case", nullptr, L"2.0", L"hklm", VersionOperator::AtLeast, L"1.0", false},
      {"HKUD key under HKCU only", L"", nullptr, L"HKUD", VersionOperator::None, L"", true},
      {"HKUD key under HKLM only", nullptr, L"", L"HKUD", VersionOperator::None, L"", true},
      {"HKUD key nowhere", nullptr, nullptr, L"HKUD", VersionOperator::None, L"", false},
      {"HKUD machine value holds", L"1.0", L"2.0", L"HKUD", VersionOperator::AtLeast, L"2.0", true},
      {"HKUD user value holds", L"2.0", L"1.0", L"HKUD", VersionOperator::Equal, L"2.0", true},
      {"HKUD neither holds", L"1.0", L"1.5", L"HKUD", VersionOperator::AtLeast, L"2.0", false},
  };
  for (const Case& c : cases) {
    const std::wstring subKey = L"Software\\" + UniqueName(L"DetectionTest");
    const ScopedRegistryTree userTree(subKey, HKEY_CURRENT_USER);
    const ScopedRegistryTree machineTree(subKey, HKEY_LOCAL_MACHINE);
    const std::pair<HKEY, const wchar_t*> entries[] = {{HKEY_CURRENT_USER, c.user},
                                                       {HKEY_LOCAL_MACHINE, c.machine}};
    for (const auto& [root, value] : entries) {
      if (value == nullptr) continue;
      RegistryKey key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                               nullptr, key.Put(), nullptr));
      if (*value != L'\0') SetRegistryString(root, subKey, L"Version", value);
    }
    const UpdateInfo update =
        RegistryUpdate(std::wstring(c.root) + L"\\" + subKey + L"\\Version", c.op, c.version);
    EXPECT_EQ(c.installed, IsInstalled(update)) << c.what;
  }
}

TEST(DetectionTest, RegistryValueOfAnyTypeIsReadAsTextWithinItsData) {
  struct Case {
    const char* what;
    DWORD type;
    std::wstring data;
    bool installed;
  };
  const Case cases[] = {
      // No terminating NUL: read as far as the data goes, never beyond.
      {"binary text without NUL", REG_BINARY, std::wstring(L"2.5"), true},
      {"expandable string", REG_EXPAND_SZ, std::wstring(L"2.5", 4), true},
      {"number", REG_DWORD, std::wstring(L"\x0002\x0000", 2), false},
      {"empty", REG_SZ, std::wstring(), false},
  };
  for (const Case& c : cases) {
    const std::wstring subKey = L"Software\\" + UniqueName(L"DetectionTest");
    const ScopedRegistryTree tree(subKey, HKEY_CURRENT_USER);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), L"Version", c.type,
                              c.data.data(), static_cast<DWORD>(c.data.size() * sizeof(wchar_t))));
    const UpdateInfo update =
        RegistryUpdate(L"HKCU\\" + subKey + L"\\Version", VersionOperator::AtLeast, L"2.5");
    EXPECT_EQ(c.installed, IsInstalled(update)) << c.what;
  }
}

TEST(DetectionTest, Sys64ReadsThe64BitRegistryView) {
  const std::wstring subKey = L"Software\\" + UniqueName(L"DetectionTest");
  const Scoped64BitValue native(subKey, L"Version", L"3.0");
  const ScopedRegistryTree redirected(subKey, HKEY_LOCAL_MACHINE);
  SetRegistryString(HKEY_LOCAL_MACHINE, subKey, L"Version", L"1.0");

  UpdateInfo update =
      RegistryUpdate(L"HKLM\\" + subKey + L"\\Version", VersionOperator::AtLeast, L"3.0");
  EXPECT_FALSE(IsInstalled(update)) << "the 32-bit view holds 1.0";
  update.flags |= kUpdateSys64;
  EXPECT_TRUE(IsInstalled(update)) << "the 64-bit view holds 3.0";

  const std::wstring onlyNative = L"Software\\" + UniqueName(L"DetectionTest");
  const Scoped64BitValue nativeOnly(onlyNative, L"Version", L"3.0");
  UpdateInfo update32 =
      RegistryUpdate(L"HKUD\\" + onlyNative + L"\\Version", VersionOperator::None, L"");
  EXPECT_FALSE(IsInstalled(update32)) << "a key of the 64-bit view seen from the 32-bit view";
  update32.flags |= kUpdateSys64;
  EXPECT_TRUE(IsInstalled(update32));
}

TEST(DetectionTest, CustomDetectionIsInstalledOnNonZeroExitCode) {
  struct Case {
    std::wstring program;
    const wchar_t* arguments;
    int unresolved;
    bool installed;
  };
  const std::wstring exitCode = Fixture(L"ExitCodeFixture.exe");
  const Case cases[] = {
      {exitCode, L"0", 0, false},
      {exitCode, L"1", 0, true},
      {exitCode, L"0xE0000001", 0, true},
      {exitCode, L"", 0, false},
      {exitCode, L"1", 1, false},
      {ThisExecutableFolder() + L"\\fixtures\\NoSuchProgram.exe", L"1", 0, false},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.detectionKind = DetectionKind::Custom;
    update.detectionTarget = c.program;
    update.customDetectionParams = c.arguments;
    update.targetUnresolved = c.unresolved;
    EXPECT_EQ(c.installed, IsInstalled(update))
        << Narrow(c.program) << " " << Narrow(c.arguments) << " unresolved " << c.unresolved;
  }
}

TEST(DetectionTest, AppPackageOfUnknownPackageIsNotInstalled) {
  struct Arch {
    const wchar_t* text;
    UINT32 value;
  };
  const Arch arches[] = {{L"x86", 0}, {L"X64", 9}, {L"Neutral", 11}, {L"arm64", 0}, {L"", 0}};
  for (const Arch& a : arches) EXPECT_EQ(a.value, PackageArchitecture(a.text)) << Narrow(a.text);

  for (const wchar_t* resourceId : {L"", L"split.scale-100"}) {
    UpdateInfo update;
    update.detectionKind = DetectionKind::AppPackage;
    update.appIdName = UniqueName(L"Merrow.Viewer");
    update.appIdArch = L"x64";
    update.appIdResourceId = resourceId;
    update.appIdPublisherId = L"8wekyb3d8bbwe";
    SetVersion(&update, VersionOperator::AtLeast, L"1.2.3.4");
    EXPECT_FALSE(IsInstalled(update)) << Narrow(resourceId);
  }
}

bool NamedInstalled(const UpdateInfo& update) { return update.name == L"installed"; }

OsFacts Facts(bool is64Bit) {
  OsFacts facts;
  facts.major = 10;
  facts.build = 19045;
  facts.is64Bit = is64Bit;
  return facts;
}

TEST(DetectionTest, EvaluatesWidthAndBoundsBeforeDetection) {
  struct Case {
    const char* what;
    std::uint32_t flags;
    bool is64Bit;
    const wchar_t* minOs;
    ApplicabilityState state;
  };
  const Case cases[] = {
      {"Os32Only on 64-bit", kUpdateOs32Only, true, L"", ApplicabilityState::NotApplicable},
      {"Os32Only on 32-bit", kUpdateOs32Only, false, L"", ApplicabilityState::Needed},
      {"Os64 on 32-bit", kUpdateOs64, false, L"", ApplicabilityState::NotApplicable},
      {"Os64 on 64-bit", kUpdateOs64, true, L"", ApplicabilityState::Needed},
      {"OS below the minimum", 0, true, L"11.0", ApplicabilityState::NotApplicable},
      {"OS at the minimum", 0, true, L"10.0.19045", ApplicabilityState::Needed},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.flags = c.flags;
    update.targetOsMinVersion.Parse(c.minOs);
    EXPECT_EQ(c.state, EvaluateUpdate(update, Facts(c.is64Bit), NamedInstalled)) << c.what;
    EXPECT_EQ(c.state == ApplicabilityState::Needed, update.evaluated) << c.what;
  }
}

TEST(DetectionTest, EvaluatesApplicationFromTheClientConfiguration) {
  const TempFolder folder;
  const std::wstring iniPath = folder.File(L"client.ini");
  WriteTextFile(iniPath, L"[General]\r\nApplicationName=Viewer\r\nApplicationVersion=2.0\r\n",
                TextEncoding::Ansi);
  ClientConfig client(iniPath);
  ASSERT_EQ(kSuccess, client.Load());
  struct Case {
    std::vector<std::wstring> versions;
    std::vector<std::wstring> applications;
    const wchar_t* name;
    ApplicabilityState state;
  };
  const Case cases[] = {
      {{L"< 2.0"}, {}, L"", ApplicabilityState::NotApplicable},
      {{L">= 2.0"}, {}, L"", ApplicabilityState::Needed},
      {{}, {L"Viewer[1.0-2.0)"}, L"", ApplicabilityState::NotApplicable},
      {{}, {L"Viewer[1.0-2.0]"}, L"", ApplicabilityState::Needed},
      {{}, {L"Viewer[1.0-2.0]"}, L"installed", ApplicabilityState::Installed},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.client = &client;
    update.name = c.name;
    update.updatedApplicationVersions = c.versions;
    update.updatedApplications = c.applications;
    const std::wstring what = c.versions.empty() ? c.applications.front() : c.versions.front();
    EXPECT_EQ(c.state, EvaluateUpdate(update, Facts(true), NamedInstalled)) << Narrow(what);
    EXPECT_EQ(c.state == ApplicabilityState::Needed, update.evaluated) << Narrow(what);
  }
}

TEST(DetectionTest, NeededUpdateAndItsDependencyCountOnce) {
  UpdateList list;
  UpdateInfo& first = list.updates.emplace_back();
  UpdateInfo& later = list.updates.emplace_back();
  first.dependsOn = &later;
  EXPECT_EQ(ApplicabilityState::Needed, EvaluateUpdate(first, Facts(true), NamedInstalled));
  EXPECT_TRUE(later.evaluated) << "the dependency is counted with the update that needs it";
  EXPECT_EQ(ApplicabilityState::NotApplicable, EvaluateUpdate(later, Facts(true), NamedInstalled));
  EXPECT_EQ(ApplicabilityState::NotApplicable, EvaluateUpdate(first, Facts(true), NamedInstalled));

  UpdateInfo installed;
  installed.name = L"installed";
  UpdateInfo needing;
  needing.dependsOn = &installed;
  EXPECT_EQ(ApplicabilityState::Needed, EvaluateUpdate(needing, Facts(true), NamedInstalled));
  EXPECT_FALSE(installed.evaluated);
  EXPECT_EQ(ApplicabilityState::Installed, EvaluateUpdate(installed, Facts(true), NamedInstalled));

  // Two updates that depend on each other must not evaluate each other without end.
  UpdateInfo a;
  UpdateInfo b;
  a.dependsOn = &b;
  b.dependsOn = &a;
  EXPECT_EQ(ApplicabilityState::Needed, EvaluateUpdate(a, Facts(true), NamedInstalled));
  EXPECT_TRUE(a.evaluated);
  EXPECT_TRUE(b.evaluated);
}

TEST(DetectionTest, SystemEvaluatorDetectsOnThisMachine) {
  UpdateInfo update;
  update.detectionKind = DetectionKind::File;
  update.detectionTarget = Fixture(L"VersionedFixture-2.5.3.0.exe");
  SetVersion(&update, VersionOperator::AtLeast, L"2.5");
  SystemUpdateEvaluator evaluator;
  EXPECT_EQ(ApplicabilityState::Installed, evaluator.Evaluate(update));
  SetVersion(&update, VersionOperator::AtLeast, L"2.6");
  EXPECT_EQ(ApplicabilityState::Needed, evaluator.Evaluate(update));
  EXPECT_EQ(ApplicabilityState::NotApplicable, evaluator.Evaluate(update)) << "counted once";
}

}  // namespace
}  // namespace updater
