#include "catalogue/ServerConfig.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include "ServerConfigFixture.h"
#include "base/ResultText.h"

namespace updater {
namespace {

using test::KeyChanges;
using test::Narrow;
using test::ServerConfigFixture;
using test::UpdateSection;

ResultCode LoadFile(const ServerConfigFixture& fixture, const std::wstring& path, UpdateList* list,
                    bool checkHeader = true) {
  return ServerConfig(path, fixture.Client(), *list).Load(checkHeader, true);
}

ResultCode LoadBody(const ServerConfigFixture& fixture, const std::wstring& body,
                    UpdateList* list) {
  return LoadFile(fixture, fixture.WriteUpdateConfig(body), list);
}

bool HasLastModified(const ServerConfigFixture& fixture) {
  FILETIME time;
  return fixture.Client().Settings().ReadTime(SettingsKey::Settings, L"LastModified", &time);
}

TEST(ServerConfigTest, BadStartDeletesLocalCopyAndLastModified) {
  const std::string section = Narrow(UpdateSection(L"A"));
  const std::tuple<const char*, std::string, bool, ResultCode> cases[] = {
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF;qzu;\r\n" + section, true, kInvalidHeader},
      {"no format mark", section, true, kInvalidHeader},
      {"only a byte-order mark", "\xFF\xFE", true, kInvalidHeader},
      {"empty file", "", true, kInvalidHeader},
      {"only a byte-order mark, unchecked", "\xFF\xFE", false, kSuccess},
      {"no format mark, unchecked", section, false, kSuccess},
  };
  for (const auto& [name, bytes, checkHeader, result] : cases) {
    const ServerConfigFixture fixture;
    const std::wstring path = fixture.Folder().File(L"updates.ini");
    {
      const FileHandle file(
          CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
      DWORD written = 0;
      WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    }
    fixture.Client().Settings().WriteTime(SettingsKey::Settings, L"LastModified", {1, 2});
    UpdateList list;
    EXPECT_EQ(result, LoadFile(fixture, path, &list, checkHeader)) << name;
    EXPECT_EQ(result == kSuccess, test::FileExists(path)) << name;
    EXPECT_EQ(result == kSuccess, HasLastModified(fixture)) << name;
  }
}

TEST(ServerConfigTest, MissingOrUnreadableFile) {
  const ServerConfigFixture fixture;
  UpdateList list;
  EXPECT_EQ(kUpToDate, LoadFile(fixture, fixture.Folder().File(L"no\\such.ini"), &list));
  const std::wstring path = fixture.WriteUpdateConfig(UpdateSection(L"A"));
  fixture.Client().Settings().WriteTime(SettingsKey::Settings, L"LastModified", {1, 2});
  const FileHandle held(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, 0));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_SHARING_VIOLATION), LoadFile(fixture, path, &list));
  EXPECT_FALSE(HasLastModified(fixture));
}

TEST(ServerConfigTest, GeneralSectionChecksFormatVersionAndDisabledUpdates) {
  const std::pair<const wchar_t*, ResultCode> cases[] = {
      {L"[General]\r\nConfigFileVersion=1\r\n", kSuccess},
      {L"[General]\r\nOther=1\r\n", kSuccess},
      {L"[General]\r\nConfigFileVersion=1.1\r\n", kUndefinedConfigFormat},
      {L"[General]\r\nConfigFileVersion=garbage\r\n", kUndefinedConfigFormat},
      {L"[general]\r\nConfigFileVersion=1.0\r\n", kInvalidUpdateSection},
      {L"[General]\r\nUpdatesDisabled=Paused for maintenance.\r\n", kUpdatesDisabled},
  };
  for (const auto& [general, result] : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    EXPECT_EQ(result, LoadBody(fixture, general + UpdateSection(L"A"), &list)) << Narrow(general);
  }
  EXPECT_EQ(L"Paused for maintenance.", ResultText(kUpdatesDisabled));
}

TEST(ServerConfigTest, ServerMessageReaderRunsOnlyWhenUpdatesAreEnabled) {
  for (const bool disabled : {false, true}) {
    const ServerConfigFixture fixture;
    UpdateList list;
    ServerConfig config(
        fixture.WriteUpdateConfig(std::wstring(L"[General]\r\nMessageTitle=Hi\r\n") +
                                  (disabled ? L"UpdatesDisabled=Off\r\n" : L"")),
        fixture.Client(), list);
    std::wstring title;
    config.SetServerMessageReader([&](const IniReader& reader) {
      title = reader.ReadText(L"General", L"MessageTitle");
      return kInvalidNotification;
    });
    EXPECT_EQ(disabled ? kUpdatesDisabled : kInvalidNotification, config.Load(true, true));
    EXPECT_EQ(disabled ? L"" : L"Hi", title);
  }
}

TEST(ServerConfigTest, InvalidSectionStopsTheLoadAndKeepsEarlierRecords) {
  const std::tuple<const wchar_t*, KeyChanges, ResultCode> cases[] = {
      {L"B", {{L"Name", L""}}, kInvalidUpdateSection},
      {L"B", {{L"Size", L"many"}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L""}, {L"URL2", L"https://x/y.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"FilePath", L""}, {L"Version", L">= 1.0"}}, kInvalidUpdateSection},
      {L"B", {{L"ReleaseDate", L"2021-03-05"}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L"not a url"}}, ERROR_INTERNET_UNRECOGNIZED_SCHEME},
      // Names that would put the download outside its folder.
      {L"..", {}, kInvalidUpdateSection}, {L". .", {}, kInvalidUpdateSection},
      {L"..\\..\\Startup", {}, kInvalidUpdateSection}, {L"a/b", {}, kInvalidUpdateSection},
      {L"C:x", {}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"..\\..\\evil.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"C:\\Windows\\evil.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"/etc/evil"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"a|b?.exe"}}, kInvalidUpdateSection},
  };
  for (const auto& [section, changes, result] : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    const std::wstring invalid = UpdateSection(section, changes);
    EXPECT_EQ(result, LoadBody(fixture, UpdateSection(L"A") + invalid + UpdateSection(L"C"), &list))
        << Narrow(invalid);
    ASSERT_EQ(1u, list.updates.size()) << Narrow(invalid);
    EXPECT_EQ(L"A", list.updates[0].sectionName);
  }
}

TEST(ServerConfigTest, GarbageValuesGiveDefaultsAndHugeValuesReadWhole) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring huge(1 << 20, L'n');
  const std::wstring body = UpdateSection(
      L"A", {{L"Name", huge}, {L"State", L"x1"}, {L"Flags", L"|||"},
             {L"TargetOsMinVersion", L"none"}, {L"TargetOsMaxVersion", L"99999999999"},
             {L"Version", L"latest"}, {L"FileSize", L"big"}, {L"AutoCloseApplication", L"|;;;x|"},
             {L"NoGUICommandLineSwitch", L" QZEmptyField "}, {L"Replaces", L";;"},
             {L"Depends", L"A"}, {L"NextDeprecated", L"Nowhere"}});
  ASSERT_EQ(kSuccess, LoadBody(fixture, body, &list));
  const UpdateInfo& a = list.updates.at(0);
  EXPECT_TRUE(a.name == huge);
  EXPECT_EQ(0u, a.state);
  EXPECT_EQ(kUpdateSingleUpdate, a.flags) << "no flag from garbage; a lone update is shown alone";
  EXPECT_TRUE(a.targetOsMinVersion.IsZero() && a.targetOsMaxVersion.IsZero() && a.version.IsZero());
  EXPECT_EQ(kDetectionVersionGiven | kDetectionFileSizeGiven, a.detectionBits);
  EXPECT_EQ(0, a.fileSize);
  EXPECT_EQ(1u, a.autoCloseApplications.size());
  EXPECT_EQ(L"", a.noGuiSwitch);
  EXPECT_FALSE(a.replacesAll);
  EXPECT_TRUE(a.replacedUpdates.empty());
  EXPECT_EQ(nullptr, a.dependsOn) << "a link to itself is ignored";
  EXPECT_EQ(nullptr, a.nextDeprecated);
}

TEST(ServerConfigTest, DetectionSourceByPrecedence) {
  const std::tuple<KeyChanges, DetectionKind, const wchar_t*> cases[] = {
      {{{L"RegistryKey", L"HKLM\\S\\V"}}, DetectionKind::File, L"C:\\Program Files\\App\\app.exe"},
      {{{L"FilePath", L""}, {L"RegistryKey", L"HKLM\\S\\V"}, {L"CustomDetection", L"C:\\d.exe"}},
       DetectionKind::Registry,
       L"HKLM\\S\\V"},
      {{{L"FilePath", L""}, {L"CustomDetection", L"C:\\d.exe"}, {L"AppIdName", L"App"}},
       DetectionKind::Custom,
       L"C:\\d.exe"},
      {{{L"FilePath", L""}, {L"AppIdName", L"Vendor.App"}}, DetectionKind::AppPackage, L""},
      {{{L"FilePath", L"%NO_SUCH_VARIABLE_X%\\a.exe"}},
       DetectionKind::File,
       L"%NO_SUCH_VARIABLE_X%\\a.exe"},
  };
  for (const auto& [changes, kind, target] : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A", changes), &list));
    EXPECT_EQ(kind, list.updates.at(0).detectionKind) << Narrow(target);
    EXPECT_EQ(target, list.updates.at(0).detectionTarget);
    EXPECT_EQ(target[0] == L'%' ? 1 : 0, list.updates.at(0).targetUnresolved) << Narrow(target);
  }
}

TEST(ServerConfigTest, LinksResolveCaseInsensitivelyAndIgnoreSelfAndUnknown) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring body = UpdateSection(L"First", {{L"Replaces", L"All;third;Missing;First"},
                                                     {L"Depends", L"SECOND"},
                                                     {L"NextDeprecated", L"Third"}}) +
                            UpdateSection(L"Second", {{L"Depends", L"Second"}}) +
                            UpdateSection(L"Third", {{L"Depends", L"Missing"}});
  ASSERT_EQ(kSuccess, LoadBody(fixture, body, &list));
  UpdateInfo& first = list.updates[0];
  UpdateInfo& second = list.updates[1];
  UpdateInfo& third = list.updates[2];
  EXPECT_TRUE(first.replacesAll);
  EXPECT_EQ(std::vector<UpdateInfo*>{&third}, first.replacedUpdates);
  EXPECT_EQ(&second, first.dependsOn);
  EXPECT_EQ(&first, second.requiredBy);
  EXPECT_EQ(nullptr, second.dependsOn);
  EXPECT_EQ(nullptr, third.dependsOn);
  EXPECT_EQ(&third, first.nextDeprecated);
  EXPECT_TRUE(third.isAbsorbed);
  EXPECT_FALSE(second.isAbsorbed || second.replacesAll);
  EXPECT_EQ(&second, ServerConfig(L"", fixture.Client(), list).FindUpdate(L"sEcOnD"));
}

TEST(ServerConfigTest, AbsorbedItemsMergeAlongChainsAndCyclesEnd) {
  const ServerConfigFixture fixture;
  UpdateList list;
  // A absorbs B; B and C absorb each other, a cycle that A's walk enters but does not close.
  const std::wstring body =
      UpdateSection(L"A", {{L"Feature", L"a"}, {L"NextDeprecated", L"B"}}) +
      UpdateSection(L"B", {{L"Feature", L"b"}, {L"BugFix", L"fix b"}, {L"NextDeprecated", L"C"}}) +
      UpdateSection(L"C", {{L"Enhancement", L"c"}, {L"NextDeprecated", L"B"}}) +
      UpdateSection(L"D", {{L"Feature", L"d"}});
  ASSERT_EQ(kSuccess, LoadBody(fixture, body, &list));
  using Items = std::vector<std::wstring>;
  const std::tuple<Items, Items, Items> expected[] = {
      {{L"a", L"b"}, {L"c"}, {L"fix b"}},
      {{L"b"}, {L"c"}, {L"fix b"}},
      {{L"b"}, {L"c"}, {L"fix b"}},
      {{L"d"}, {}, {}},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const UpdateInfo& u = list.updates[i];
    EXPECT_EQ(expected[i], std::tie(u.features.items, u.enhancements.items, u.bugFixes.items)) << i;
  }
  ASSERT_EQ(
      kSuccess,
      ServerConfig(fixture.WriteUpdateConfig(body), fixture.Client(), list).Load(true, false));
  EXPECT_EQ(Items{L"a"}, list.updates[0].features.items) << "without merging";
}

TEST(ServerConfigTest, FilePlaceholderTakesTheFolderOfEachConfigurationLocation) {
  const std::tuple<std::vector<std::wstring>, ResultCode, std::vector<std::wstring>> cases[] = {
      {{L"https://updates.example.com/app/updates.ini", L"ftp://mirror.example.com/u.ini"},
       kSuccess,
       {L"https://updates.example.com/app/setup.exe", L"ftp://mirror.example.com/setup.exe"}},
      {{L"C:\\Updates\\updates.ini"}, kSuccess, {L"file:///C:/Updates/setup.exe"}},
      {{L"\\\\server\\share\\app\\updates.ini"}, kSuccess, {L"file://server/share/app/setup.exe"}},
      {{L"https://updates.example.com/u.ini", L"not a location"}, kUnresolvedFileUrl, {}},
  };
  for (const auto& [locations, result, urls] : cases) {
    const ServerConfigFixture fixture(locations);
    UpdateList list;
    const std::wstring body = UpdateSection(
        L"A", {{L"URL", L"FILE://"}, {L"URL1", L"file://"}, {L"ServerFileName", L"setup.exe"}});
    EXPECT_EQ(result, LoadBody(fixture, body, &list)) << Narrow(locations[0]);
    EXPECT_EQ(urls, list.updates.empty() ? std::vector<std::wstring>() : list.updates[0].urls);
  }
}

TEST(ServerConfigTest, LocalFileNameFromServerFileNameOrUrl) {
  const std::pair<KeyChanges, const wchar_t*> cases[] = {
      {{{L"ServerFileName", L"setup.exe"}}, L"setup.exe"},
      {{{L"URL", L"https://x.example.com/dl/tool.msi?token=1"}}, L"tool.msi"},
      {{{L"URL", L"https://x.example.com/dl/a:b.exe"}}, L"A"},
      {{{L"URL", L"https://x.example.com/dl/"}}, L"A"},
      {{{L"URL", L"https://x.example.com/dl/.."}}, L"A"},
  };
  for (const auto& [changes, fileName] : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A", changes), &list)) << Narrow(fileName);
    EXPECT_EQ(fixture.DownloadsFolder() + L"\\A\\" + fileName, list.updates.at(0).localFilePath);
  }
}

TEST(ServerConfigTest, SilentCommandLine) {
  const std::tuple<const wchar_t*, const wchar_t*, const wchar_t*> cases[] = {
      {L"/x", L"/exenoui", L"/exenoui /x /qn"},
      {L"", L"/log a.txt /EXENOUI", L"/exenoui /qn"},
      {L"/x", L"/S", L"/x /S"},
      {L"/x", L"/exenouix", L"/x /exenouix"},
  };
  for (const auto& [commandLine, noGuiSwitch, silent] : cases) {
    UpdateInfo update;
    update.commandLine = commandLine;
    update.noGuiSwitch = noGuiSwitch;
    EXPECT_EQ(silent, SilentCommandLine(update)) << Narrow(noGuiSwitch);
  }
}

TEST(ServerConfigTest, SingleUpdatePresentation) {
  EXPECT_TRUE(IsSingleUpdatePresentation(1, false, 1920, 1080));
  EXPECT_FALSE(IsSingleUpdatePresentation(1, true, 1024, 768));
  EXPECT_TRUE(IsSingleUpdatePresentation(1, true, 1023, 768));
  EXPECT_TRUE(IsSingleUpdatePresentation(1, true, 1024, 767));
  EXPECT_FALSE(IsSingleUpdatePresentation(2, false, 800, 600));
}

}  // namespace
}  // namespace updater
