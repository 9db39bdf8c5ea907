#include "catalogue/Detection.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"
#include "catalogue/Applicability.h"
#include "catalogue/IniReader.h"

namespace updater {
namespace {

using test::Narrow;
using S = ApplicabilityState;
using Items = std::vector<std::wstring>;

// An update detected by `kind` at `target`, with the Version key as the loader stores it.
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

// What a valid key names is proven by the registry detections below.
TEST(DetectionTest, RefusesRegistryKeysWithoutRootKeyOrValue) {
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
  const std::wstring v2001 = test::FixturePath(L"VersionedFixture-2.0.0.1.exe");
  // No version resource counts as 0.0.0.0; version and size both must hold.
  constexpr int kNoSize = -1;
  const std::tuple<std::wstring, const wchar_t*, int, bool> cases[] = {
      {v2001, L">= 2.0", kNoSize, true},       {v2001, L"= 2.0", kNoSize, false},
      {v2001, L"= 2.0.0.1", kNoSize, true},    {folder.File(L"missing.exe"), L"", kNoSize, false},
      {test::FixturePath(L"VersionedFixture-1.0.0.0.exe"), L">= 2.0", kNoSize, false},
      {five, L">= 0.0", kNoSize, true},        {five, L">= 0.0.0.1", kNoSize, false},
      {five, L"", 5, true},                    {five, L"", 6, false},
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
  EXPECT_FALSE(IsInstalled(unresolved));
}

TEST(DetectionTest, RegistryDetectionUnderEachRootReadsAnyValueTypeWithinItsData) {
  // "-" leaves the key out, "" creates it without the value; binary data has no terminator.
  // `found`: the version FindInstalledVersion reads, "" for none.
  struct Case { const wchar_t *user, *machine, *root, *version; bool installed;
                const wchar_t* found; DWORD type = REG_SZ; };
  const Case cases[] = {
      {L"-", L"2.0.0.1", L"HKLM", L">= 2.0", true, L"2.0.0.1"},
      {L"-", L"2.0.0.1", L"HKLM", L"", false, L""},
      {L"-", L"none", L"HKLM", L">= 0.0", false, L""},
      {L"3.1", L"-", L"HKCU", L">= 3.0", true, L"3.1"},
      {L"2.0", L"-", L"HKLM", L">= 1.0", false, L""},
      {L"-", L"", L"HKUD", L"", true, L""},
      {L"-", L"-", L"HKUD", L"", false, L""},
      {L"1.0", L"2.0", L"HKUD", L">= 2.0", true, L"2.0"},
      {L"2.0", L"1.0", L"HKUD", L"= 2.0", true, L"2.0"},
      {L"1.0", L"1.5", L"HKUD", L">= 2.0", false, L"1.5"},
      {L"2.5", L"-", L"HKCU", L">= 2.5", true, L"2.5", REG_BINARY},
      {L"2.5", L"-", L"HKCU", L">= 2.5", true, L"2.5", REG_EXPAND_SZ},
      {L"\x0002", L"-", L"HKCU", L">= 2.5", false, L"", REG_DWORD}};
  for (const auto& [user, machine, root, version, installed, found, type] : cases) {
    const std::wstring subKey = L"Software\\" + test::UniqueName(L"DetectionTest");
    const test::ScopedRegistryTree userTree(subKey, HKEY_CURRENT_USER);
    const test::ScopedRegistryTree machineTree(subKey, HKEY_LOCAL_MACHINE);
    for (const auto& [hive, value] : {std::make_pair(HKEY_CURRENT_USER, user),
                                      std::make_pair(HKEY_LOCAL_MACHINE, machine)}) {
      const std::wstring text = value, data = type == REG_BINARY ? text : text + L'\0';
      if (text == L"-") continue;
      RegistryKey key;
      ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(hive, subKey.c_str(), 0, nullptr, 0, KEY_WRITE,
                                               nullptr, key.Put(), nullptr));
      if (text.empty()) continue;
      ASSERT_EQ(ERROR_SUCCESS, RegSetValueExW(key.Get(), L"Version", 0, type,
                                              reinterpret_cast<const BYTE*>(data.data()),
                                              static_cast<DWORD>(data.size() * sizeof(wchar_t))));
    }
    const std::wstring key = std::wstring(root) + L"\\" + subKey + L"\\Version";
    const UpdateInfo update = Detected(DetectionKind::Registry, key, version);
    EXPECT_EQ(installed, IsInstalled(update))
        << Narrow(root) << " user " << Narrow(user) << " machine " << Narrow(machine) << type;
    VersionNumber read, expected;
    EXPECT_EQ(*found != L'\0', FindInstalledVersion(update, &read)) << Narrow(root) << type;
    if (expected.Parse(found)) EXPECT_TRUE(Equal(expected, read)) << Narrow(found);
  }
}

// A program that never ends counts as not installed once the wait is over, and is ended: the file
// it held is free again.
TEST(DetectionTest, CustomDetectionIsInstalledOnNonZeroExitWithinItsTime) {
  const std::wstring exitCode = test::FixturePath(L"ExitCodeFixture.exe");
  const test::TempFolder folder;
  const std::wstring held = folder.File(L"held.txt");
  const std::tuple<std::wstring, std::wstring, int, bool> cases[] = {
      {exitCode, L"0", 0, false}, {exitCode, L"1", 0, true},  {exitCode, L"0xE0000001", 0, true},
      {exitCode, L"1", 1, false}, {test::FixturePath(L"NoSuchProgram.exe"), L"1", 0, false},
      {exitCode, L"hang \"" + held + L"\"", 0, false}};
  const std::size_t logged = test::LogText().size();
  for (const auto& [program, arguments, unresolved, installed] : cases) {
    UpdateInfo update = Detected(DetectionKind::Custom, program);
    update.customDetectionParams = arguments;
    update.targetUnresolved = unresolved;
    EXPECT_EQ(installed, IsInstalled(update, 3000))
        << Narrow(arguments) << " unresolved " << unresolved;
  }
  const std::wstring line = L"Custom detection \"" + exitCode + L"\" has not ended within 3000 ms";
  EXPECT_NE(line.npos, test::LogText().find(line, logged));
  EXPECT_TRUE(DeleteFileW(held.c_str())) << "still held: " << GetLastError();
}

bool IsCritical(const UpdateInfo& update) { return update.HasFlag(kUpdateCritical); }

TEST(DetectionTest, EvaluatesWidthBoundsAndApplicationBeforeDetection) {
  OsFacts os;
  os.major = 10;
  os.build = 19045;
  const ClientFacts client{L"Viewer", L"2.0"};
  // The system is 10.0.19045; a bound of zero is no bound. Only valid version items count.
  const std::tuple<std::uint32_t, bool, const wchar_t*, const wchar_t*, Items, Items, S> cases[] = {
      {kUpdateOs32Only, true, L"", L"", {}, {}, S::NotApplicable},
      {kUpdateOs64, false, L"", L"", {}, {}, S::NotApplicable},
      {0, true, L"11.0", L"", {}, {}, S::NotApplicable},
      {0, true, L"10.0.19045", L"10.0.19045", {}, {}, S::Needed},
      {0, true, L"", L"10.0.19044", {}, {}, S::NotApplicable},
      {0, true, L"", L"", {L"< 2.0"}, {}, S::NotApplicable},
      {0, true, L"", L"", {L"2.0", L"<=1.9", L" = 2 "}, {L"Editor[1.0-x]"}, S::Needed},
      {0, true, L"", L"", {L"=>2.0", L"~2.0", L">=", L">= 2.0 beta"}, {}, S::NotApplicable},
      {0, true, L"", L"", {L">= 1.2.3.4.5", L"<= 70000.1"}, {}, S::NotApplicable},
      {0, true, L"", L"", {}, {L"Viewer[1.0-2.0)"}, S::NotApplicable},
      {0, true, L"", L"", {}, {L"Viewer(1.9-2.0]", L"viewer[2.0]"}, S::Needed},
      {0, true, L"", L"", {}, {L" Viewer [ 1.0 - 1.9 ] "}, S::NotApplicable},
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

}  // namespace
}  // namespace updater
