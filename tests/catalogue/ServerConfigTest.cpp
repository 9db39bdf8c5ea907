#include "catalogue/ServerConfig.h"

#include <gtest/gtest.h>
#include <wininet.h>

#include "ServerConfigFixture.h"
#include "app/ResultText.h"

namespace updater {
namespace {

using test::KeyChanges;
using test::Narrow;
using test::ServerConfigFixture;
using test::TextEncoding;
using test::UpdateSection;

const wchar_t kValidGeneral[] = L"[General]\r\nConfigFileVersion=1.0\r\n";

ResultCode LoadFile(const ServerConfigFixture& fixture, const std::wstring& path,
                    UpdateList* list, bool checkHeader = true) {
  ServerConfig config(path, fixture.Client(), *list);
  return config.Load(checkHeader, true);
}

ResultCode LoadBody(const ServerConfigFixture& fixture, const std::wstring& body, UpdateList* list,
                    TextEncoding encoding = TextEncoding::Ansi) {
  return LoadFile(fixture, fixture.WriteUpdateConfig(body, encoding), list);
}

bool HasLastModified(const ServerConfigFixture& fixture) {
  FILETIME time;
  return fixture.Client().Settings().ReadTime(SettingsKey::Settings, L"LastModified", &time);
}

TEST(ServerConfigTest, LoadsUpdatesInFileOrderInBothEncodings) {
  for (const TextEncoding encoding : {TextEncoding::Ansi, TextEncoding::Utf16}) {
    const ServerConfigFixture fixture;
    UpdateList list;
    const std::wstring body = std::wstring(kValidGeneral) + UpdateSection(L"B") + UpdateSection(L"A");
    ASSERT_EQ(kSuccess, LoadBody(fixture, body, &list, encoding));
    EXPECT_EQ(encoding == TextEncoding::Utf16, list.isUtf16);
    ASSERT_EQ(2u, list.updates.size());
    EXPECT_EQ(L"B", list.updates[0].sectionName);
    EXPECT_EQ(L"A update", list.updates[1].name);
    EXPECT_EQ(&fixture.Client(), list.updates[1].client);
    EXPECT_EQ(fixture.DownloadsFolder() + L"\\A\\A.exe", list.updates[1].localFilePath);
  }
}

TEST(ServerConfigTest, BadStartDeletesLocalCopyAndLastModified) {
  struct Case {
    const char* name;
    std::string bytes;
    bool checkHeader;
    ResultCode result;
  };
  const std::string ansi = ";qzu;\r\n" + Narrow(UpdateSection(L"A"));
  const Case cases[] = {
      {"UTF-8 byte-order mark", "\xEF\xBB\xBF" + ansi, true, kInvalidHeader},
      {"no format mark", Narrow(UpdateSection(L"A")), true, kInvalidHeader},
      {"only a byte-order mark", "\xFF\xFE", true, kInvalidHeader},
      {"empty file", "", true, kInvalidHeader},
      {"only a byte-order mark, unchecked", "\xFF\xFE", false, kSuccess},
      {"no format mark, unchecked", Narrow(UpdateSection(L"A")), false, kSuccess},
  };
  for (const Case& c : cases) {
    const ServerConfigFixture fixture;
    const std::wstring path = fixture.Folder().File(L"updates.ini");
    {
      FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0,
                                  nullptr));
      DWORD written = 0;
      WriteFile(file.Get(), c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &written, nullptr);
    }
    fixture.Client().Settings().WriteTime(SettingsKey::Settings, L"LastModified", {1, 2});
    UpdateList list;
    EXPECT_EQ(c.result, LoadFile(fixture, path, &list, c.checkHeader)) << c.name;
    const bool kept = c.result == kSuccess;
    EXPECT_EQ(kept, test::FileExists(path)) << c.name;
    EXPECT_EQ(kept, HasLastModified(fixture)) << c.name;
  }
}

TEST(ServerConfigTest, MissingOrUnreadableFile) {
  const ServerConfigFixture fixture;
  UpdateList list;
  EXPECT_EQ(kUpToDate, LoadFile(fixture, fixture.Folder().File(L"missing.ini"), &list));
  EXPECT_EQ(kUpToDate, LoadFile(fixture, fixture.Folder().File(L"no\\such.ini"), &list));

  const std::wstring path = fixture.WriteUpdateConfig(kValidGeneral);
  fixture.Client().Settings().WriteTime(SettingsKey::Settings, L"LastModified", {1, 2});
  const FileHandle held(CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                                    nullptr));
  ASSERT_TRUE(held);
  EXPECT_EQ(static_cast<ResultCode>(ERROR_SHARING_VIOLATION), LoadFile(fixture, path, &list));
  EXPECT_FALSE(HasLastModified(fixture));
}

TEST(ServerConfigTest, GeneralSectionChecksFormatVersionAndDisabledUpdates) {
  struct Case {
    const wchar_t* general;
    ResultCode result;
  };
  const Case cases[] = {
      {L"[General]\r\nConfigFileVersion=1\r\n", kSuccess},
      {L"[General]\r\nOther=1\r\n", kSuccess},
      {L"[General]\r\nConfigFileVersion=1.0.0.0\r\n", kSuccess},
      {L"[General]\r\nConfigFileVersion=1.1\r\n", kUndefinedConfigFormat},
      {L"[General]\r\nConfigFileVersion=garbage\r\n", kUndefinedConfigFormat},
      {L"[General]\r\nConfigFileVersion=99999999999\r\n", kUndefinedConfigFormat},
      {L"[general]\r\nConfigFileVersion=1.0\r\n", kInvalidUpdateSection},
      {L"[General]\r\nUpdatesDisabled=Updates are paused for maintenance.\r\n", kUpdatesDisabled},
  };
  for (const Case& c : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    EXPECT_EQ(c.result, LoadBody(fixture, c.general + UpdateSection(L"A"), &list))
        << Narrow(c.general);
  }
  EXPECT_EQ(L"Updates are paused for maintenance.", ResultText(kUpdatesDisabled));
}

TEST(ServerConfigTest, ServerMessageReaderRunsOnlyWhenUpdatesAreEnabled) {
  for (const bool disabled : {false, true}) {
    const ServerConfigFixture fixture;
    const std::wstring path = fixture.WriteUpdateConfig(
        std::wstring(L"[General]\r\nMessageTitle=Hello\r\n") +
        (disabled ? L"UpdatesDisabled=Off\r\n" : L""));
    UpdateList list;
    ServerConfig config(path, fixture.Client(), list);
    std::wstring title;
    config.SetServerMessageReader([&](const IniReader& reader) {
      title = reader.ReadText(L"General", L"MessageTitle");
      return kInvalidNotification;
    });
    EXPECT_EQ(disabled ? kUpdatesDisabled : kInvalidNotification, config.Load(true, true));
    EXPECT_EQ(disabled ? L"" : L"Hello", title);
  }
}

TEST(ServerConfigTest, InvalidSectionStopsTheLoadAndKeepsEarlierRecords) {
  struct Case {
    const wchar_t* section;
    KeyChanges changes;
    ResultCode result;
  };
  const Case cases[] = {
      {L"B", {{L"Name", L""}}, kInvalidUpdateSection},
      {L"B", {{L"Size", L""}}, kInvalidUpdateSection},
      {L"B", {{L"Size", L"0"}}, kInvalidUpdateSection},
      {L"B", {{L"Size", L"many"}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L""}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L""}, {L"URL2", L"https://x/y.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"FilePath", L""}}, kInvalidUpdateSection},
      {L"B", {{L"FilePath", L""}, {L"Version", L">= 1.0"}}, kInvalidUpdateSection},
      {L"B", {{L"ReleaseDate", L"2021-03-05"}}, kInvalidUpdateSection},
      {L"B", {{L"ReleaseDate", L"garbage"}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L"not a url"}}, static_cast<ResultCode>(ERROR_INTERNET_UNRECOGNIZED_SCHEME)},
      // Names that would put the download outside its folder, or nowhere.
      {L"..", {}, kInvalidUpdateSection},
      {L".", {}, kInvalidUpdateSection},
      {L". .", {}, kInvalidUpdateSection},
      {L"..\\..\\Startup", {}, kInvalidUpdateSection},
      {L"a/b", {}, kInvalidUpdateSection},
      {L"C:x", {}, kInvalidUpdateSection},
      {L"x*?", {}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"..\\..\\evil.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"C:\\Windows\\evil.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"/etc/evil"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L".."}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"a|b.exe"}}, kInvalidUpdateSection},
  };
  for (const Case& c : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    const std::wstring body = std::wstring(kValidGeneral) + UpdateSection(L"A") +
                              UpdateSection(c.section, c.changes) + UpdateSection(L"C");
    EXPECT_EQ(c.result, LoadBody(fixture, body, &list)) << Narrow(UpdateSection(c.section, c.changes));
    ASSERT_EQ(1u, list.updates.size()) << Narrow(UpdateSection(c.section, c.changes));
    EXPECT_EQ(L"A", list.updates[0].sectionName);
  }
}

TEST(ServerConfigTest, GarbageValuesGiveDefaults) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring body = UpdateSection(
      L"A", {{L"State", L"x1"}, {L"Flags", L"|||"}, {L"TargetOsMinVersion", L"none"},
             {L"TargetOsMaxVersion", L"99999999999"}, {L"Version", L"latest"},
             {L"FileSize", L"big"}, {L"AutoCloseApplication", L"|;;;Nothing|"},
             {L"UpdatedApplicationVersions", L"\\"}, {L"Replaces", L";;"},
             {L"Depends", L"A"}, {L"NextDeprecated", L"Nowhere"}});
  ASSERT_EQ(kSuccess, LoadBody(fixture, body, &list));
  const UpdateInfo& a = list.updates.at(0);
  EXPECT_EQ(0u, a.state);
  EXPECT_EQ(kUpdateSingleUpdate, a.flags) << "no flag from garbage; a lone update is shown alone";
  EXPECT_TRUE(a.targetOsMinVersion.IsZero());
  EXPECT_TRUE(a.targetOsMaxVersion.IsZero());
  EXPECT_TRUE(a.version.IsZero());
  EXPECT_EQ(kDetectionVersionGiven | kDetectionFileSizeGiven, a.detectionBits);
  EXPECT_EQ(0, a.fileSize);
  ASSERT_EQ(1u, a.autoCloseApplications.size());
  EXPECT_EQ(L"", a.autoCloseApplications[0].application);
  EXPECT_TRUE(a.updatedApplicationVersions.empty());
  EXPECT_FALSE(a.replacesAll);
  EXPECT_TRUE(a.replacedUpdates.empty());
  EXPECT_EQ(nullptr, a.dependsOn) << "a link to itself is ignored";
  EXPECT_EQ(nullptr, a.nextDeprecated);
}

TEST(ServerConfigTest, HugeValueIsReadWhole) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring name(1 << 20, L'n');
  ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A", {{L"Name", name}}), &list));
  EXPECT_TRUE(list.updates.at(0).name == name);
}

TEST(ServerConfigTest, DetectionSourceByPrecedence) {
  struct Case {
    KeyChanges changes;
    DetectionKind kind;
    const wchar_t* target;
  };
  const Case cases[] = {
      {{{L"RegistryKey", L"HKLM\\Software\\App\\Version"}}, DetectionKind::File,
       L"C:\\Program Files\\App\\app.exe"},
      {{{L"FilePath", L""}, {L"RegistryKey", L"HKLM\\Software\\App\\Version"},
        {L"CustomDetection", L"C:\\detect.exe"}},
       DetectionKind::Registry, L"HKLM\\Software\\App\\Version"},
      {{{L"FilePath", L""}, {L"CustomDetection", L"C:\\detect.exe"}, {L"AppIdName", L"App"}},
       DetectionKind::Custom, L"C:\\detect.exe"},
      {{{L"FilePath", L""}, {L"AppIdName", L"Vendor.App"}}, DetectionKind::AppPackage, L""},
      {{{L"FilePath", L"%NO_SUCH_VARIABLE_X%\\app.exe"}}, DetectionKind::File,
       L"%NO_SUCH_VARIABLE_X%\\app.exe"},
  };
  for (const Case& c : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A", c.changes), &list));
    const UpdateInfo& a = list.updates.at(0);
    EXPECT_EQ(c.kind, a.detectionKind) << Narrow(c.target);
    EXPECT_EQ(c.target, a.detectionTarget);
    EXPECT_EQ(c.target[0] == L'%' ? 1 : 0, a.targetUnresolved) << Narrow(c.target);
  }
}

TEST(ServerConfigTest, LinksResolveCaseInsensitivelyAndIgnoreSelfAndUnknown) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring body =
      UpdateSection(L"First", {{L"Replaces", L"All;third;Missing;First"}, {L"Depends", L"SECOND"},
                               {L"NextDeprecated", L"Third"}}) +
      UpdateSection(L"Second", {{L"Depends", L"Second"}, {L"Replaces", L"Nobody"}}) +
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
  EXPECT_FALSE(second.isAbsorbed);
  EXPECT_FALSE(second.replacesAll);

  ServerConfig config(L"unused", fixture.Client(), list);
  EXPECT_EQ(&second, config.FindUpdate(L"sEcOnD"));
  EXPECT_EQ(nullptr, config.FindUpdate(L"Secon"));
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
  struct Expected {
    Items features, enhancements, bugFixes;
  };
  const Expected expected[] = {
      {{L"a", L"b"}, {L"c"}, {L"fix b"}},
      {{L"b"}, {L"c"}, {L"fix b"}},
      {{L"b"}, {L"c"}, {L"fix b"}},
      {{L"d"}, {}, {}},
  };
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(expected[i].features, list.updates[i].features.items) << i;
    EXPECT_EQ(expected[i].enhancements, list.updates[i].enhancements.items) << i;
    EXPECT_EQ(expected[i].bugFixes, list.updates[i].bugFixes.items) << i;
  }

  UpdateList unmerged;
  ServerConfig config(fixture.WriteUpdateConfig(body), fixture.Client(), unmerged);
  ASSERT_EQ(kSuccess, config.Load(true, false));
  EXPECT_EQ((std::vector<std::wstring>{L"a"}), unmerged.updates[0].features.items);
}

TEST(ServerConfigTest, FilePlaceholderTakesTheFolderOfEachConfigurationLocation) {
  struct Case {
    std::vector<std::wstring> locations;
    ResultCode result;
    std::vector<std::wstring> urls;
  };
  const Case cases[] = {
      {{L"https://updates.example.com/app/updates.ini", L"ftp://mirror.example.com/u.ini"},
       kSuccess,
       {L"https://updates.example.com/app/setup.exe", L"ftp://mirror.example.com/setup.exe"}},
      {{L"C:\\Updates\\updates.ini"}, kSuccess, {L"file:///C:/Updates/setup.exe"}},
      {{L"\\\\server\\share\\app\\updates.ini"}, kSuccess, {L"file://server/share/app/setup.exe"}},
      {{L"https://updates.example.com/app/updates.ini", L"not a location"}, kUnresolvedFileUrl, {}},
  };
  for (const Case& c : cases) {
    const ServerConfigFixture fixture(c.locations);
    UpdateList list;
    const std::wstring body = UpdateSection(
        L"A", {{L"URL", L"FILE://"}, {L"URL1", L"file://"}, {L"ServerFileName", L"setup.exe"}});
    EXPECT_EQ(c.result, LoadBody(fixture, body, &list)) << Narrow(c.locations[0]);
    if (c.result == kSuccess) {
      EXPECT_EQ(c.urls, list.updates.at(0).urls);
    }
  }
}

TEST(ServerConfigTest, LocalFileNameFromServerFileNameOrUrl) {
  struct Case {
    KeyChanges changes;
    const wchar_t* fileName;
  };
  const Case cases[] = {
      {{{L"ServerFileName", L"setup.exe"}}, L"setup.exe"},
      {{{L"URL", L"https://x.example.com/dl/tool.msi?token=1"}}, L"tool.msi"},
      {{{L"URL", L"https://x.example.com/dl/a:b.exe"}}, L"A"},
      {{{L"URL", L"https://x.example.com/dl/"}}, L"A"},
      {{{L"URL", L"https://x.example.com/dl/.."}}, L"A"},
      {{{L"URL", L"https://x.example.com/dl/%2e%2e"}}, L"%2e%2e"},
  };
  for (const Case& c : cases) {
    const ServerConfigFixture fixture;
    UpdateList list;
    ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A", c.changes), &list))
        << Narrow(c.fileName);
    EXPECT_EQ(fixture.DownloadsFolder() + L"\\A\\" + c.fileName, list.updates.at(0).localFilePath);
  }
}

TEST(ServerConfigTest, SilentCommandLine) {
  struct Case {
    const wchar_t* commandLine;
    const wchar_t* noGuiSwitch;
    const wchar_t* silent;
  };
  const Case cases[] = {
      {L"/x", L"/exenoui", L"/exenoui /x /qn"},
      {L"", L"/EXENOUI", L"/exenoui /qn"},
      {L"/x", L"/log a.txt /exenoui", L"/exenoui /x /qn"},
      {L"/x", L"/S", L"/x /S"},
      {L"", L"/quiet", L" /quiet"},
      {L"/x", L"/exenouix", L"/x /exenouix"},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.commandLine = c.commandLine;
    update.noGuiSwitch = c.noGuiSwitch;
    EXPECT_EQ(c.silent, SilentCommandLine(update)) << Narrow(c.noGuiSwitch);
  }
}

TEST(ServerConfigTest, NoGuiSwitchIsTrimmedAndEmptyFieldMarkClearsIt) {
  for (const auto& [value, stored] : {std::pair<const wchar_t*, const wchar_t*>{L"/S ", L"/S"},
                                      {L"QZEmptyField", L""},
                                      {L"qzemptyfield2", L"qzemptyfield2"}}) {
    const ServerConfigFixture fixture;
    UpdateList list;
    ASSERT_EQ(kSuccess,
              LoadBody(fixture, UpdateSection(L"A", {{L"NoGUICommandLineSwitch", value}}), &list));
    EXPECT_EQ(stored, list.updates.at(0).noGuiSwitch);
  }
}

TEST(ServerConfigTest, SingleUpdatePresentation) {
  struct Case {
    std::size_t count;
    bool vertSplitter;
    int width, height;
    bool single;
  };
  const Case cases[] = {
      {1, false, 1920, 1080, true}, {1, true, 1920, 1080, false}, {1, true, 1024, 768, false},
      {1, true, 1023, 768, true},   {1, true, 1024, 767, true},   {2, false, 800, 600, false},
      {0, false, 800, 600, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.single, IsSingleUpdatePresentation(c.count, c.vertSplitter, c.width, c.height))
        << c.count << " " << c.vertSplitter << " " << c.width << "x" << c.height;
  }
  const ServerConfigFixture fixture;
  UpdateList list;
  ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A"), &list));
  EXPECT_TRUE(list.updates.at(0).HasFlag(kUpdateSingleUpdate));
  ASSERT_EQ(kSuccess, LoadBody(fixture, UpdateSection(L"A") + UpdateSection(L"B"), &list));
  EXPECT_FALSE(list.updates.at(0).HasFlag(kUpdateSingleUpdate));
}

}  // namespace
}  // namespace updater
