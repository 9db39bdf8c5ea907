#include "catalogue/Detection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "config/ClientConfig.h"

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

constexpr VersionOperator kAtLeast = VersionOperator::AtLeast;
constexpr VersionOperator kEqual = VersionOperator::Equal;
constexpr VersionOperator kNoVersion = VersionOperator::None;

// Sets the Version key the way the loader stores it; an empty text is no Version key.
void SetVersion(UpdateInfo* update, VersionOperator versionOperator, const wchar_t* text) {
  update->versionOperator = versionOperator;
  update->version = Version(text);
  if (versionOperator != kNoVersion) update->detectionBits |= kDetectionVersionGiven;
}

// An update detected by `kind` at `target`, with the Version key as the loader stores it.
UpdateInfo Detected(DetectionKind kind, const std::wstring& target,
                    VersionOperator op = kNoVersion, const wchar_t* version = L"") {
  UpdateInfo update;
  update.detectionKind = kind;
  update.detectionTarget = target;
  SetVersion(&update, op, version);
  return update;
}

TEST(DetectionTest, VersionConditionNeedsAnOperator) {
  struct Case {
    VersionOperator op;
    const wchar_t* required;
    const wchar_t* detected;
    bool holds;
  };
  const Case cases[] = {
      {kAtLeast, L"2.0", L"2.0.0.1", true}, {kAtLeast, L"2.0", L"2.0", true},
      {kAtLeast, L"2.0", L"1.9.9.9", false}, {kEqual, L"2.0", L"2.0.0.1", false},
      {kEqual, L"2.0", L"2.0.0.0", true},    {kNoVersion, L"0.0", L"2.0", false},
      {kNoVersion, L"2.0", L"2.0", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.holds, SatisfiesVersionCondition(c.op, Version(c.required), Version(c.detected)))
        << static_cast<int>(c.op) << " " << Narrow(c.required) << " vs " << Narrow(c.detected);
  }
}

TEST(DetectionTest, SplitsRegistryKeyIntoRootKeyAndValue) {
  struct Case {
    const wchar_t* text;
    HKEY root;
    const wchar_t* keyPath;
    const wchar_t* valueName;
    bool perUserOrMachine;
  };
  const Case valid[] = {
      {L"HKLM\\Software\\Acme\\Viewer\\Version", HKEY_LOCAL_MACHINE, L"Software\\Acme\\Viewer",
       L"Version", false},
      {L"HKCU\\Software\\Version", HKEY_CURRENT_USER, L"Software", L"Version", false},
      {L"HKU\\.DEFAULT\\Acme\\V", HKEY_USERS, L".DEFAULT\\Acme", L"V", false},
      {L"HKCC\\System\\V", HKEY_CURRENT_CONFIG, L"System", L"V", false},
      {L"HKCR\\.txt\\Content Type", HKEY_CLASSES_ROOT, L".txt", L"Content Type", false},
      {L"HKUD\\Software\\Acme\\Version", nullptr, L"Software\\Acme", L"Version", true},
  };
  for (const Case& c : valid) {
    RegistryLocation location;
    ASSERT_TRUE(SplitRegistryKey(c.text, &location)) << Narrow(c.text);
    EXPECT_EQ(c.root, location.root) << Narrow(c.text);
    EXPECT_EQ(c.keyPath, location.keyPath) << Narrow(c.text);
    EXPECT_EQ(c.valueName, location.valueName) << Narrow(c.text);
    EXPECT_EQ(c.perUserOrMachine, location.isPerUserOrMachine) << Narrow(c.text);
  }
  for (const wchar_t* text :
       {L"hklm\\Software\\Acme\\Version", L"Hkud\\Software\\Acme\\Version",
        L"HKEY_LOCAL_MACHINE\\Software\\Acme\\Version", L"HKLM\\Version", L"HKLM",
        L"HKLM\\Software\\Acme\\", L"\\Software\\Acme\\Version", L""}) {
    RegistryLocation location;
    location.keyPath = L"untouched";
    EXPECT_FALSE(SplitRegistryKey(text, &location)) << Narrow(text);
    EXPECT_EQ(L"untouched", location.keyPath) << Narrow(text);
  }
}

TEST(DetectionTest, FileDetectionByExistenceVersionAndSize) {
  const TempFolder folder;
  const std::wstring five = folder.File(L"five.txt");
  const std::wstring empty = folder.File(L"empty.txt");
  WriteTextFile(five, L"12345", TextEncoding::Ansi);
  WriteTextFile(empty, L"", TextEncoding::Ansi);
  const std::wstring v2001 = Fixture(L"VersionedFixture-2.0.0.1.exe");
  constexpr int kNoSize = -1;
  struct Case {
    const char* what;
    std::wstring path;
    VersionOperator op;
    const wchar_t* version;
    int size;
    bool installed;
  };
  const Case cases[] = {
      {">= 2.0 against 2.0.0.1", v2001, kAtLeast, L"2.0", kNoSize, true},
      {"= 2.0 against 2.0.0.1", v2001, kEqual, L"2.0", kNoSize, false},
      {"= 2.0.0.1 against 2.0.0.1", v2001, kEqual, L"2.0.0.1", kNoSize, true},
      {">= 2.0 against 1.0.0.0", Fixture(L"VersionedFixture-1.0.0.0.exe"), kAtLeast, L"2.0",
       kNoSize, false},
      {">= 2.5.3 against 2.5.3.0", Fixture(L"VersionedFixture-2.5.3.0.exe"), kAtLeast, L"2.5.3",
       kNoSize, true},
      {"existence alone", v2001, kNoVersion, L"", kNoSize, true},
      {"missing file", folder.File(L"missing.exe"), kNoVersion, L"", kNoSize, false},
      {"no version resource counts as 0.0.0.0", five, kAtLeast, L"0.0", kNoSize, true},
      {"no version resource below 0.0.0.1", five, kAtLeast, L"0.0.0.1", kNoSize, false},
      {"exact size", five, kNoVersion, L"", 5, true},
      {"other size", five, kNoVersion, L"", 6, false},
      {"FileSize 0 on an empty file", empty, kNoVersion, L"", 0, false},
      {"size of a folder", folder.Path(), kNoVersion, L"", 5, false},
      {"version and size both hold", v2001, kAtLeast, L"2.0", 1, false},
  };
  for (const Case& c : cases) {
    UpdateInfo update = Detected(DetectionKind::File, c.path, c.op, c.version);
    if (c.size != kNoSize) {
      update.detectionBits |= kDetectionFileSizeGiven;
      update.fileSize = c.size;
    }
    EXPECT_EQ(c.installed, IsInstalled(update)) << c.what;
  }
  UpdateInfo unresolved = Detected(DetectionKind::File, v2001);
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

std::wstring NewSubKey() { return L"Software\\" + UniqueName(L"DetectionTest"); }

// Detection by the Version value of `subKey` under `root`.
UpdateInfo RegistryUpdate(const std::wstring& root, const std::wstring& subKey,
                          VersionOperator op = kNoVersion, const wchar_t* version = L"") {
  return Detected(DetectionKind::Registry, root + L"\\" + subKey + L"\\Version", op, version);
}

TEST(DetectionTest, RegistryDetectionUnderEachRoot) {
  // A user or machine entry of nullptr leaves the key out, L"" creates it without the value.
  struct Case {
    const char* what;
    const wchar_t *user, *machine, *root;
    VersionOperator op;
    const wchar_t* version;
    bool installed;
  };
  const Case cases[] = {
      {"HKLM at least", nullptr, L"2.0.0.1", L"HKLM", kAtLeast, L"2.0", true},
      {"HKLM equal", nullptr, L"2.0.0.1", L"HKLM", kEqual, L"2.0", false},
      {"HKLM without Version", nullptr, L"2.0.0.1", L"HKLM", kNoVersion, L"", false},
      {"HKLM value missing", nullptr, L"", L"HKLM", kAtLeast, L"1.0", false},
      {"HKLM key missing", L"2.0", nullptr, L"HKLM", kAtLeast, L"1.0", false},
      {"HKLM value not a version", nullptr, L"none", L"HKLM", kAtLeast, L"0.0", false},
      {"HKCU at least", L"3.1", nullptr, L"HKCU", kAtLeast, L"3.0", true},
      {"root in lower case", nullptr, L"2.0", L"hklm", kAtLeast, L"1.0", false},
      {"HKUD key under HKCU only", L"", nullptr, L"HKUD", kNoVersion, L"", true},
      {"HKUD key under HKLM only", nullptr, L"", L"HKUD", kNoVersion, L"", true},
      {"HKUD key nowhere", nullptr, nullptr, L"HKUD", kNoVersion, L"", false},
      {"HKUD machine value holds", L"1.0", L"2.0", L"HKUD", kAtLeast, L"2.0", true},
      {"HKUD user value holds", L"2.0", L"1.0", L"HKUD", kEqual, L"2.0", true},
      {"HKUD neither holds", L"1.0", L"1.5", L"HKUD", kAtLeast, L"2.0", false},
  };
  for (const Case& c : cases) {
    const std::wstring subKey = NewSubKey();
    const ScopedRegistryTree userTree(subKey, HKEY_CURRENT_USER);
    const ScopedRegistryTree machineTree(subKey, HKEY_LOCAL_MACHINE);
    for (const auto& [root, value] : {std::make_pair(HKEY_CURRENT_USER, c.user),
                                      std::make_pair(HKEY_LOCAL_MACHINE, c.machine)}) {
      if (value == nullptr) continue;
      RegistryKey key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                               nullptr, key.Put(), nullptr));
      if (*value != L'\0') SetRegistryString(root, subKey, L"Version", value);
    }
    EXPECT_EQ(c.installed, IsInstalled(RegistryUpdate(c.root, subKey, c.op, c.version))) << c.what;
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
    const std::wstring subKey = NewSubKey();
    const ScopedRegistryTree tree(subKey, HKEY_CURRENT_USER);
    ASSERT_EQ(ERROR_SUCCESS,
              RegSetKeyValueW(HKEY_CURRENT_USER, subKey.c_str(), L"Version", c.type,
                              c.data.data(), static_cast<DWORD>(c.data.size() * sizeof(wchar_t))));
    EXPECT_EQ(c.installed, IsInstalled(RegistryUpdate(L"HKCU", subKey, kAtLeast, L"2.5")))
        << c.what;
  }
}

TEST(DetectionTest, Sys64ReadsThe64BitRegistryView) {
  const std::wstring subKey = NewSubKey();
  const Scoped64BitValue native(subKey, L"Version", L"3.0");
  const ScopedRegistryTree redirected(subKey, HKEY_LOCAL_MACHINE);
  SetRegistryString(HKEY_LOCAL_MACHINE, subKey, L"Version", L"1.0");
  UpdateInfo update = RegistryUpdate(L"HKLM", subKey, kAtLeast, L"3.0");
  EXPECT_FALSE(IsInstalled(update)) << "the 32-bit view holds 1.0";
  update.flags |= kUpdateSys64;
  EXPECT_TRUE(IsInstalled(update)) << "the 64-bit view holds 3.0";

  const std::wstring onlyNative = NewSubKey();
  const Scoped64BitValue nativeOnly(onlyNative, L"Version", L"3.0");
  UpdateInfo perUser = RegistryUpdate(L"HKUD", onlyNative);
  EXPECT_FALSE(IsInstalled(perUser)) << "a key of the 64-bit view seen from the 32-bit view";
  perUser.flags |= kUpdateSys64;
  EXPECT_TRUE(IsInstalled(perUser));
}

TEST(DetectionTest, CustomDetectionIsInstalledOnNonZeroExitCode) {
  const std::wstring exitCode = Fixture(L"ExitCodeFixture.exe");
  const std::tuple<std::wstring, const wchar_t*, int, bool> cases[] = {
      {exitCode, L"0", 0, false}, {exitCode, L"1", 0, true}, {exitCode, L"0xE0000001", 0, true},
      {exitCode, L"", 0, false},  {exitCode, L"1", 1, false},
      {Fixture(L"NoSuchProgram.exe"), L"1", 0, false},
  };
  for (const auto& [program, arguments, unresolved, installed] : cases) {
    UpdateInfo update = Detected(DetectionKind::Custom, program);
    update.customDetectionParams = arguments;
    update.targetUnresolved = unresolved;
    EXPECT_EQ(installed, IsInstalled(update))
        << Narrow(program) << " " << Narrow(arguments) << " unresolved " << unresolved;
  }
}

TEST(DetectionTest, AppPackageOfUnknownPackageIsNotInstalled) {
  const std::pair<const wchar_t*, UINT32> arches[] = {
      {L"x86", 0}, {L"X64", 9}, {L"Neutral", 11}, {L"arm64", 0}, {L"", 0}};
  for (const auto& [text, id] : arches) EXPECT_EQ(id, PackageArchitecture(text)) << Narrow(text);

  for (const wchar_t* resourceId : {L"", L"split.scale-100"}) {
    UpdateInfo update = Detected(DetectionKind::AppPackage, L"", kAtLeast, L"1.2.3.4");
    update.appIdName = UniqueName(L"Merrow.Viewer");
    update.appIdArch = L"x64";
    update.appIdResourceId = resourceId;
    update.appIdPublisherId = L"8wekyb3d8bbwe";
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

TEST(DetectionTest, EvaluatesWidthBoundsAndApplicationBeforeDetection) {
  const ClientFacts client{L"Viewer", L"2.0"};
  using S = ApplicabilityState;
  struct Case {
    const char* what;
    std::uint32_t flags;
    bool is64Bit;
    const wchar_t* minOs;
    std::vector<std::wstring> versions, applications;
    const wchar_t* name;
    S state;
  };
  const Case cases[] = {
      {"Os32Only on 64-bit", kUpdateOs32Only, true, L"", {}, {}, L"", S::NotApplicable},
      {"Os32Only on 32-bit", kUpdateOs32Only, false, L"", {}, {}, L"", S::Needed},
      {"Os64 on 32-bit", kUpdateOs64, false, L"", {}, {}, L"", S::NotApplicable},
      {"Os64 on 64-bit", kUpdateOs64, true, L"", {}, {}, L"", S::Needed},
      {"OS below the minimum", 0, true, L"11.0", {}, {}, L"", S::NotApplicable},
      {"OS at the minimum", 0, true, L"10.0.19045", {}, {}, L"", S::Needed},
      {"application 2.0 < 2.0", 0, true, L"", {L"< 2.0"}, {}, L"", S::NotApplicable},
      {"application 2.0 >= 2.0", 0, true, L"", {L">= 2.0"}, {}, L"", S::Needed},
      {"Viewer outside [1.0-2.0)", 0, true, L"", {}, {L"Viewer[1.0-2.0)"}, L"", S::NotApplicable},
      {"Viewer in [1.0-2.0]", 0, true, L"", {}, {L"Viewer[1.0-2.0]"}, L"", S::Needed},
      {"applicable and installed", 0, true, L"", {}, {L"Viewer[1.0-2.0]"}, L"installed",
       S::Installed},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.name = c.name;
    update.flags = c.flags;
    update.targetOsMinVersion.Parse(c.minOs);
    update.updatedApplicationVersions = c.versions;
    update.updatedApplications = c.applications;
    EXPECT_EQ(c.state, EvaluateUpdate(update, Facts(c.is64Bit), client, NamedInstalled)) << c.what;
    EXPECT_EQ(c.state == S::Needed, update.evaluated) << c.what;
  }
}

TEST(DetectionTest, NeededUpdateAndItsDependencyCountOnce) {
  UpdateList list;
  UpdateInfo& first = list.updates.emplace_back();
  UpdateInfo& later = list.updates.emplace_back();
  first.dependsOn = &later;
  EXPECT_EQ(ApplicabilityState::Needed, EvaluateUpdate(first, Facts(true), {}, NamedInstalled));
  EXPECT_TRUE(later.evaluated) << "the dependency is counted with the update that needs it";
  EXPECT_EQ(ApplicabilityState::NotApplicable, EvaluateUpdate(later, Facts(true), {}, NamedInstalled));
  EXPECT_EQ(ApplicabilityState::NotApplicable, EvaluateUpdate(first, Facts(true), {}, NamedInstalled));

  UpdateInfo installed;
  installed.name = L"installed";
  UpdateInfo needing;
  needing.dependsOn = &installed;
  EXPECT_EQ(ApplicabilityState::Needed, EvaluateUpdate(needing, Facts(true), {}, NamedInstalled));
  EXPECT_FALSE(installed.evaluated);
  EXPECT_EQ(ApplicabilityState::Installed, EvaluateUpdate(installed, Facts(true), {}, NamedInstalled));

  // Two updates that depend on each other must not evaluate each other without end.
  UpdateInfo a;
  UpdateInfo b;
  a.dependsOn = &b;
  b.dependsOn = &a;
  EXPECT_EQ(ApplicabilityState::Needed, EvaluateUpdate(a, Facts(true), {}, NamedInstalled));
  EXPECT_TRUE(a.evaluated);
  EXPECT_TRUE(b.evaluated);
}

TEST(DetectionTest, SystemEvaluatorDetectsOnThisMachine) {
  UpdateInfo update =
      Detected(DetectionKind::File, Fixture(L"VersionedFixture-2.5.3.0.exe"), kAtLeast, L"2.5");
  SystemUpdateEvaluator evaluator({});
  EXPECT_EQ(ApplicabilityState::Installed, evaluator.Evaluate(update));
  SetVersion(&update, kAtLeast, L"2.6");
  EXPECT_EQ(ApplicabilityState::Needed, evaluator.Evaluate(update));
  EXPECT_EQ(ApplicabilityState::NotApplicable, evaluator.Evaluate(update)) << "counted once";
}

}  // namespace
}  // namespace updater
