#include "catalogue/Detection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "catalogue/Applicability.h"
#include "catalogue/FileVersion.h"
#include "catalogue/IniReader.h"

namespace updater {
namespace {

using test::Narrow;
using test::ScopedRegistryTree;
using test::UniqueName;
using S = ApplicabilityState;
using Items = std::vector<std::wstring>;

struct FindTraits {
  using Value = HANDLE;
  static Value Invalid() { return INVALID_HANDLE_VALUE; }
  static bool IsValid(Value v) { return v != INVALID_HANDLE_VALUE; }
  static void Close(Value v) { FindClose(v); }
};

std::wstring Fixture(const std::wstring& name) {
  return test::ThisExecutableFolder() + L"\\fixtures\\" + name;
}

// An update detected by `kind` at `target`, with the Version key (">= 2.0", "= 2.0" or none) as
// the loader stores it.
UpdateInfo Detected(DetectionKind kind, const std::wstring& target, const wchar_t* version = L"") {
  UpdateInfo update;
  update.detectionKind = kind;
  update.detectionTarget = target;
  if (*version != L'\0') {
    ParseVersionCondition(version, &update.versionOperator, &update.version);
    update.detectionBits |= kDetectionVersionGiven;
  }
  return update;
}

TEST(DetectionTest, SplitsRegistryKeyIntoRootKeyAndValue) {
  const std::tuple<const wchar_t*, HKEY, const wchar_t*, const wchar_t*, bool> valid[] = {
      {L"HKLM\\Software\\Acme\\V", HKEY_LOCAL_MACHINE, L"Software\\Acme", L"V", false},
      {L"HKCU\\Software\\V", HKEY_CURRENT_USER, L"Software", L"V", false},
      {L"HKU\\.DEFAULT\\V", HKEY_USERS, L".DEFAULT", L"V", false},
      {L"HKCC\\System\\V", HKEY_CURRENT_CONFIG, L"System", L"V", false},
      {L"HKCR\\.txt\\Content Type", HKEY_CLASSES_ROOT, L".txt", L"Content Type", false},
      {L"HKUD\\Software\\Acme\\V", nullptr, L"Software\\Acme", L"V", true}};
  for (const auto& [text, root, keyPath, valueName, perUser] : valid) {
    RegistryLocation l;
    ASSERT_TRUE(SplitRegistryKey(text, &l)) << Narrow(text);
    EXPECT_EQ(std::make_tuple(root, std::wstring(keyPath), std::wstring(valueName), perUser),
              std::tie(l.root, l.keyPath, l.valueName, l.isPerUserOrMachine))
        << Narrow(text);
  }
  for (const wchar_t* text : {L"hklm\\Software\\V", L"HKEY_LOCAL_MACHINE\\Software\\V",
                              L"HKLM\\V", L"HKLM", L"HKLM\\Software\\", L"\\Software\\V", L""}) {
    RegistryLocation location;
    location.keyPath = L"untouched";
    EXPECT_FALSE(SplitRegistryKey(text, &location)) << Narrow(text);
    EXPECT_EQ(L"untouched", location.keyPath) << Narrow(text);
  }
}

TEST(DetectionTest, FileDetectionByExistenceVersionAndSize) {
  const test::TempFolder folder;
  const std::wstring five = folder.File(L"five.txt");
  test::WriteTextFile(five, L"12345", test::TextEncoding::Ansi);
  test::WriteTextFile(folder.File(L"empty.txt"), L"", test::TextEncoding::Ansi);
  const std::wstring v2001 = Fixture(L"VersionedFixture-2.0.0.1.exe");
  // No version resource counts as 0.0.0.0; FileSize 0 never holds; version and size both must.
  constexpr int kNoSize = -1;
  const std::tuple<std::wstring, const wchar_t*, int, bool> cases[] = {
      {v2001, L">= 2.0", kNoSize, true},       {v2001, L"= 2.0", kNoSize, false},
      {v2001, L"= 2.0.0.1", kNoSize, true},    {v2001, L"", kNoSize, true},
      {Fixture(L"VersionedFixture-1.0.0.0.exe"), L">= 2.0", kNoSize, false},
      {folder.File(L"missing.exe"), L"", kNoSize, false},
      {five, L">= 0.0", kNoSize, true},        {five, L">= 0.0.0.1", kNoSize, false},
      {five, L"", 5, true},                    {five, L"", 6, false},
      {folder.File(L"empty.txt"), L"", 0, false}, {folder.Path(), L"", 5, false},
      {v2001, L">= 2.0", 1, false},
  };
  for (const auto& [path, version, size, installed] : cases) {
    UpdateInfo update = Detected(DetectionKind::File, path, version);
    if (size != kNoSize) {
      update.detectionBits |= kDetectionFileSizeGiven;
      update.fileSize = size;
    }
    EXPECT_EQ(installed, IsInstalled(update)) << Narrow(path) << " " << Narrow(version) << size;
  }
  UpdateInfo unresolved = Detected(DetectionKind::File, v2001);
  unresolved.targetUnresolved = 1;
  EXPECT_FALSE(IsInstalled(unresolved)) << "a path whose expansion failed";
}

std::wstring NewSubKey() { return L"Software\\" + UniqueName(L"DetectionTest"); }

void SetVersionValue(HKEY root, const std::wstring& subKey, DWORD type, const std::wstring& data,
                     REGSAM view = 0) {
  RegistryKey key;
  ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE | view,
                                           nullptr, key.Put(), nullptr));
  if (type == REG_NONE) return;
  ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Version", 0, type,
                                          reinterpret_cast<const BYTE*>(data.data()),
                                          static_cast<DWORD>(data.size() * sizeof(wchar_t))));
}

TEST(DetectionTest, RegistryDetectionUnderEachRoot) {
  // A user or machine entry of "-" leaves the key out, "" creates it without the value.
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"-", L"2.0.0.1", L"HKLM", L">= 2.0", true},  {L"-", L"2.0.0.1", L"HKLM", L"", false},
      {L"-", L"", L"HKLM", L">= 1.0", false},        {L"-", L"none", L"HKLM", L">= 0.0", false},
      {L"2.0", L"-", L"HKLM", L">= 1.0", false},     {L"3.1", L"-", L"HKCU", L">= 3.0", true},
      {L"", L"-", L"HKUD", L"", true},               {L"-", L"", L"HKUD", L"", true},
      {L"-", L"-", L"HKUD", L"", false},             {L"1.0", L"2.0", L"HKUD", L">= 2.0", true},
      {L"2.0", L"1.0", L"HKUD", L"= 2.0", true},     {L"1.0", L"1.5", L"HKUD", L">= 2.0", false},
  };
  for (const auto& [user, machine, root, version, installed] : cases) {
    const std::wstring subKey = NewSubKey();
    const ScopedRegistryTree userTree(subKey, HKEY_CURRENT_USER);
    const ScopedRegistryTree machineTree(subKey, HKEY_LOCAL_MACHINE);
    for (const auto& [hive, value] : {std::make_pair(HKEY_CURRENT_USER, user),
                                      std::make_pair(HKEY_LOCAL_MACHINE, machine)}) {
      const std::wstring text = value;
      if (text == L"-") continue;
      SetVersionValue(hive, subKey, text.empty() ? REG_NONE : REG_SZ, text + L'\0');
    }
    const std::wstring key = std::wstring(root) + L"\\" + subKey + L"\\Version";
    EXPECT_EQ(installed, IsInstalled(Detected(DetectionKind::Registry, key, version)))
        << Narrow(root) << " user " << Narrow(user) << " machine " << Narrow(machine);
  }
}

TEST(DetectionTest, RegistryValueOfAnyTypeIsReadAsTextWithinItsData) {
  const std::tuple<DWORD, std::wstring, bool> cases[] = {
      {REG_BINARY, std::wstring(L"2.5"), true},  // no terminator: read up to the data's end only
      {REG_EXPAND_SZ, std::wstring(L"2.5", 4), true},
      {REG_DWORD, std::wstring(L"\x0002\x0000", 2), false},
      {REG_SZ, std::wstring(), false}};
  for (const auto& [type, data, installed] : cases) {
    const std::wstring subKey = NewSubKey();
    const ScopedRegistryTree tree(subKey, HKEY_CURRENT_USER);
    SetVersionValue(HKEY_CURRENT_USER, subKey, type, data);
    const std::wstring key = L"HKCU\\" + subKey + L"\\Version";
    EXPECT_EQ(installed, IsInstalled(Detected(DetectionKind::Registry, key, L">= 2.5"))) << type;
  }
}

TEST(DetectionTest, Sys64ReadsThe64BitRegistryView) {
  // ScopedRegistryTree works in the 32-bit view; the 64-bit key is removed at the end.
  const std::wstring subKey = NewSubKey();
  SetVersionValue(HKEY_LOCAL_MACHINE, subKey, REG_SZ, std::wstring(L"3.0", 4), KEY_WOW64_64KEY);
  // HKLM finds 1.0 in the 32-bit view; HKUD finds the key in neither 32-bit hive.
  for (const std::wstring root : {L"HKLM", L"HKUD"}) {
    const ScopedRegistryTree tree(subKey, HKEY_LOCAL_MACHINE);
    if (root == L"HKLM") test::SetRegistryString(HKEY_LOCAL_MACHINE, subKey, L"Version", L"1.0");
    UpdateInfo update =
        Detected(DetectionKind::Registry, root + L"\\" + subKey + L"\\Version", L">= 3.0");
    EXPECT_FALSE(IsInstalled(update)) << Narrow(root) << ": the 32-bit view";
    update.flags |= kUpdateSys64;
    EXPECT_TRUE(IsInstalled(update)) << Narrow(root) << ": the 64-bit view";
  }
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), KEY_WOW64_64KEY, 0);
}

TEST(DetectionTest, CustomDetectionIsInstalledOnNonZeroExitAndAppPackageWhenKnown) {
  const std::wstring exitCode = Fixture(L"ExitCodeFixture.exe");
  const std::tuple<std::wstring, const wchar_t*, int, bool> cases[] = {
      {exitCode, L"0", 0, false}, {exitCode, L"1", 0, true},  {exitCode, L"0xE0000001", 0, true},
      {exitCode, L"1", 1, false}, {Fixture(L"NoSuchProgram.exe"), L"1", 0, false}};
  for (const auto& [program, arguments, unresolved, installed] : cases) {
    UpdateInfo update = Detected(DetectionKind::Custom, program);
    update.customDetectionParams = arguments;
    update.targetUnresolved = unresolved;
    EXPECT_EQ(installed, IsInstalled(update)) << Narrow(arguments) << " unresolved " << unresolved;
  }
  const std::pair<const wchar_t*, UINT32> arches[] = {
      {L"x86", 0}, {L"X64", 9}, {L"Neutral", 11}, {L"arm64", 0}, {L"", 0}};
  for (const auto& [text, id] : arches) EXPECT_EQ(id, PackageArchitecture(text)) << Narrow(text);
  UpdateInfo package = Detected(DetectionKind::AppPackage, L"", L">= 1.2.3.4");
  package.appIdName = UniqueName(L"Merrow.Viewer");
  package.appIdArch = L"x64";
  package.appIdPublisherId = L"8wekyb3d8bbwe";
  EXPECT_FALSE(IsInstalled(package));
}

// Stands in for detection in the evaluation.
bool IsCritical(const UpdateInfo& update) { return update.HasFlag(kUpdateCritical); }

TEST(DetectionTest, EvaluatesWidthBoundsAndApplicationBeforeDetection) {
  OsFacts os;
  os.major = 10;
  os.build = 19045;
  const ClientFacts client{L"Viewer", L"2.0"};
  // The system is 10.0.19045; a bound of zero is no bound.
  const std::tuple<std::uint32_t, bool, const wchar_t*, const wchar_t*, Items, Items, S> cases[] = {
      {kUpdateOs32Only, true, L"", L"", {}, {}, S::NotApplicable},
      {kUpdateOs32Only, false, L"", L"", {}, {}, S::Needed},
      {kUpdateOs64, false, L"", L"", {}, {}, S::NotApplicable},
      {kUpdateOs64, true, L"", L"", {}, {}, S::Needed},
      {0, true, L"11.0", L"", {}, {}, S::NotApplicable},
      {0, true, L"10.0.19045", L"10.0.19045", {}, {}, S::Needed},
      {0, true, L"", L"10.0.19044", {}, {}, S::NotApplicable},
      {0, true, L"", L"", {L"< 2.0"}, {}, S::NotApplicable},
      {0, true, L"", L"", {}, {L"Viewer[1.0-2.0)"}, S::NotApplicable},
      {kUpdateCritical, true, L"", L"", {L">= 2.0"}, {L"Viewer[1.0-2.0]"}, S::Installed},
  };
  for (const auto& [flags, is64Bit, minOs, maxOs, versions, applications, state] : cases) {
    UpdateInfo update;
    update.flags = flags;
    update.targetOsMinVersion.Parse(minOs);
    update.targetOsMaxVersion.Parse(maxOs);
    update.updatedApplicationVersions = versions;
    update.updatedApplications = applications;
    const auto what = testing::Message() << flags << " " << Narrow(minOs) << "-" << Narrow(maxOs);
    os.is64Bit = is64Bit;
    EXPECT_EQ(state, EvaluateUpdate(update, os, client, IsCritical)) << what;
    EXPECT_EQ(state == S::Needed, update.evaluated) << what;
  }
}

TEST(ApplicabilityTest, ParsesApplicationVersionItems) {
  using C = VersionComparison;
  const std::tuple<const wchar_t*, C, const wchar_t*> valid[] = {
      {L">= 2.0", C::AtLeast, L"2.0"}, {L"<=1.5", C::AtMost, L"1.5"}, {L"<1.5", C::Less, L"1.5"},
      {L">1.5.2", C::Greater, L"1.5.2"}, {L" = 3 ", C::Equal, L"3.0"}};
  for (const auto& [text, comparison, version] : valid) {
    ApplicationVersionItem item;
    ASSERT_TRUE(ParseApplicationVersionItem(text, &item)) << Narrow(text);
    EXPECT_EQ(comparison, item.comparison) << Narrow(text);
    EXPECT_EQ(version, item.version.ToString()) << Narrow(text);
  }
  for (const wchar_t* text :
       {L"2.0", L"=>2.0", L"~2.0", L">=", L">= 2.0 beta", L">= 1.2.3.4.5", L">= 70000.1"}) {
    ApplicationVersionItem item;
    item.comparison = VersionComparison::Less;
    EXPECT_FALSE(ParseApplicationVersionItem(text, &item)) << Narrow(text);
    EXPECT_EQ(VersionComparison::Less, item.comparison) << Narrow(text) << " changed the item";
  }
}

TEST(ApplicabilityTest, MatchesApplicationVersionAndApplicationByNameAndInterval) {
  // Version items without operator are ignored; an unreadable application version is 0.0.0.0.
  // Application items that cannot be read make the update apply.
  const std::tuple<Items, Items, const wchar_t*, const wchar_t*, bool> cases[] = {
      {{}, {}, L"Viewer", L"1.0", true},       {{L"> 2.0"}, {}, L"", L"2.0", false},
      {{L"> 2.0"}, {}, L"", L"2.0.0.1", true}, {{L"< 2.0"}, {}, L"", L"2.0", false},
      {{L"<= 2.0"}, {}, L"", L"2.0", true},    {{L"<= 2.0"}, {}, L"", L"2.0.1", false},
      {{L"= 2.0"}, {}, L"", L"2.0.0.0", true}, {{L"= 2.0"}, {}, L"", L"2.0.1", false},
      {{L"2.0"}, {}, L"", L"2.0", false},      {{L"2.0", L"< 3"}, {}, L"", L"2.0", true},
      {{L">= 2.0"}, {}, L"", L"", false},      {{L"<= 1.0"}, {}, L"", L"", true},
      {{}, {L"Viewer[1.0-2.0)"}, L"Viewer", L"2.0", false},
      {{}, {L"Viewer[1.0-2.0)"}, L"Viewer", L"1.9.9", true},
      {{}, {L"Viewer(1.0-2.0]"}, L"Viewer", L"1.0", false},
      {{}, {L"Viewer(1.0-2.0]"}, L"Viewer", L"2.0", true},
      {{}, {L"Viewer[3.1]"}, L"Viewer", L"3.1.0.1", false},
      {{}, {L" Viewer (x64) [ 1.0 - 2.0 ] "}, L"Viewer (x64)", L"1.0", true},
      {{}, {L"viewer[1.0-2.0]"}, L"Viewer", L"1.5", false},
      {{}, {L"Editor[1.0-2.0]"}, L"", L"1.5", true},
      {{}, {L"Editor[1.0-2.0]", L"Viewer[1.0-2.0]"}, L"Viewer", L"1.5", true},
      {{}, {L"Editor[1.0-2.0]", L"Viewer 1.0"}, L"Viewer", L"9.5", true},
      {{}, {L"Viewer[1.0-x]"}, L"Viewer", L"9.0", true},
      {{}, {L"Viewer[-2.0]"}, L"Viewer", L"9.0", true},
      {{}, {L"Viewer[1.0-2.0] beta"}, L"Viewer", L"9.0", true},
  };
  for (const auto& [versions, applications, name, version, matches] : cases) {
    UpdateInfo update;
    update.updatedApplicationVersions = versions;
    update.updatedApplications = applications;
    EXPECT_EQ(matches, MatchesApplicationVersion(update, version) &&
                           MatchesApplication(update, name, version))
        << Narrow(versions.empty() ? L"" : versions.back())
        << Narrow(applications.empty() ? L"" : applications.back()) << " with " << Narrow(name)
        << " " << Narrow(version);
  }
}

TEST(OsFactsTest, VersionFromRegistryValues) {
  const std::tuple<OsVersionValues, int, int, int> cases[] = {
      {{10, 0, L"6.3", L"19045", L"vb_release"}, 10, 0, 19045},
      {{10, 0, L"6.3", L"22000", L"co_release"}, 11, 0, 22000},
      {{10, 0, L"6.3", L"25000", L"RS_PreRelease"}, 11, 0, 25000},
      {{10, 0, L"6.3", L"21999", L"co_release"}, 10, 0, 21999},
      {{6, 3, L"6.3", L"22000", L"co_release"}, 6, 3, 22000},  // the branch counts only on 10
      {{0, 5, L"6.1", L"7601", L""}, 6, 1, 7601},              // older systems: from the text
      {{0, 2, L"10.0", L"7601 ", L""}, 0, 2, 7601},
  };
  for (const auto& [values, major, minor, build] : cases) {
    const OsFacts facts = ComputeOsFacts(values, true);
    EXPECT_EQ(std::make_tuple(major, minor, build, true),
              std::tie(facts.major, facts.minor, facts.build, facts.is64Bit))
        << Narrow(values.currentVersion) << " " << Narrow(values.buildBranch);
  }
  EXPECT_EQ(L"11.0.22000", ComputeOsFacts(std::get<0>(cases[1]), false).Version().ToString());
}

TEST(OsFactsTest, MatchesWhatTheSystemReportsAndIsReadOnce) {
  // RtlGetVersion is not subject to the compatibility shims that GetVersionEx applies.
  using RtlGetVersionFunction = LONG(WINAPI*)(OSVERSIONINFOW*);
  const auto rtlGetVersion = reinterpret_cast<RtlGetVersionFunction>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "RtlGetVersion")));
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof(info);
  ASSERT_EQ(0, rtlGetVersion(&info));
  const OsFacts& facts = CurrentOsFacts();
  EXPECT_EQ(&facts, &CurrentOsFacts());
  EXPECT_EQ(static_cast<int>(info.dwBuildNumber), facts.build);
  EXPECT_EQ(static_cast<int>(info.dwMinorVersion), facts.minor);
  if (facts.major != 11) {
    EXPECT_EQ(static_cast<int>(info.dwMajorVersion), facts.major);
  }
  wchar_t wow64Folder[MAX_PATH];
  EXPECT_EQ(GetSystemWow64DirectoryW(wow64Folder, MAX_PATH) != 0, facts.is64Bit);
}

// Copies the reader left behind: GetTempFileNameW keeps three letters of "shim_clone".
int LeftoverCopies() {
  wchar_t tempFolder[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, tempFolder);
  WIN32_FIND_DATAW data;
  const UniqueHandle<FindTraits> find(
      FindFirstFileW((std::wstring(tempFolder) + L"shi*.tmp").c_str(), &data));
  int count = find ? 1 : 0;
  while (find && FindNextFileW(find.Get(), &data)) ++count;
  return count;
}

TEST(FileVersionTest, ReadsInPlaceOrFromACopyOfWindowsFolderFilesOnWindows10AndLater) {
  const std::tuple<const wchar_t*, const wchar_t*, bool, bool> cases[] = {
      {L"c:\\WINDOWS\\system32\\kernel32.dll", L"C:\\Windows", true, true},
      {L"C:\\WindowsApps\\app.exe", L"C:\\Windows", true, true},
      {L"C:\\Windows\\System32\\kernel32.dll", L"C:\\Windows", false, false},
      {L"C:\\Win", L"C:\\Windows", true, false},
      {L"D:\\Windows\\notepad.exe", L"C:\\Windows", true, false},
      {L"C:\\Windows\\notepad.exe", L"", true, false}};
  for (const auto& [path, windowsFolder, windows10, copy] : cases) {
    EXPECT_EQ(copy, MustCopyBeforeVersionRead(path, windowsFolder, windows10))
        << Narrow(path) << " under " << Narrow(windowsFolder) << " windows10 " << windows10;
  }
  const test::TempFolder folder;
  test::WriteTextFile(folder.File(L"plain.dll"), L"no resources", test::TextEncoding::Ansi);
  const int leftoversBefore = LeftoverCopies();
  for (const auto read : {ReadFileVersion, ReadFileVersionThroughCopy}) {
    const std::tuple<std::wstring, bool, VersionNumber> files[] = {
        {Fixture(L"VersionedFixture-2.5.3.0.exe"), true, {2, 5, 3, 0}},
        {folder.File(L"plain.dll"), false, {}},
        {folder.File(L"missing.dll"), false, {}}};
    for (const auto& [path, found, expected] : files) {
      VersionNumber version(1, 2, 3, 4);
      EXPECT_EQ(found, read(path, &version)) << Narrow(path);
      EXPECT_TRUE(Equal(expected, version)) << Narrow(path) << " " << Narrow(version.ToString());
    }
  }
  EXPECT_EQ(leftoversBefore, LeftoverCopies());
}

}  // namespace
}  // namespace updater
