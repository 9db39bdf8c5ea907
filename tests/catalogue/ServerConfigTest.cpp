#include "catalogue/ServerConfig.h"

#include <gtest/gtest.h>
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <fstream>
#include <tuple>

#include "TestSupport.h"
#include "config/ClientConfig.h"
#include "base/ResultText.h"
#include "catalogue/DownloadLocation.h"
#include "catalogue/FeedProblems.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "catalogue/UpdateSectionKeys.h"

namespace updater {
namespace {

using test::Narrow;
using test::TextEncoding;
using KeyChanges = std::vector<std::pair<std::wstring, std::wstring>>;
using Items = std::vector<std::wstring>;

// A section that loads, with `changes` replacing its keys (an empty value removes one) or added.
std::wstring UpdateSection(const std::wstring& section, KeyChanges changes = {}) {
  for (const auto& entry : KeyChanges{{L"Name", section}, {L"Size", L"1000"},
                                      {L"URL", L"https://downloads.example.com/" + section},
                                      {L"FilePath", L"C:\\Program Files\\App\\app.exe"}}) {
    const auto same = [&](const auto& change) { return change.first == entry.first; };
    if (std::none_of(changes.begin(), changes.end(), same)) changes.push_back(entry);
  }
  std::wstring text = L"[" + section + L"]\r\n";
  for (const auto& [key, value] : changes) {
    if (!value.empty()) text += key + L"=" + value + L"\r\n";
  }
  return text;
}

// A client configuration with its own ID, downloads folder and update configuration locations.
struct Fixture {
  explicit Fixture(const Items& locations = {L"https://updates.example.com/app/updates.ini"})
      : client(config.Load(Keys(locations))) {}
  std::wstring Keys(const Items& locations) const {
    std::wstring keys = L"DownloadsFolder=" + config.File(L"downloads") + L"\r\nAppDir=" +
                        config.File(L"app") + L"\r\n";
    for (std::size_t i = 0; i < locations.size(); ++i) {
      keys += L"URL" + (i == 0 ? L"" : std::to_wstring(i)) + L"=" + locations[i] + L"\r\n";
    }
    return keys;
  }
  std::wstring Write(const std::wstring& body, TextEncoding encoding = TextEncoding::Ansi) const {
    test::WriteTextFile(path, L";qzu;\r\n" + body, encoding);
    return path;
  }
  ResultCode Load(const std::wstring& body, UpdateList* list, bool merge = true) const {
    return ServerConfig(Write(body), client, *list).Load(true, merge);
  }
  bool HasLastModified() const {
    FILETIME time;
    return client.Settings().ReadTime(SettingsKey::Settings, L"LastModified", &time);
  }

  test::ClientConfigFile config{L"Config"};
  ClientConfig client;
  std::wstring path = config.File(L"updates.ini");
};

TEST(ServerConfigTest, FileStartAndGeneralSectionDecideTheLoad) {
  // A file without its first line is deleted, with LastModified so that the next check fetches it.
  const std::string a = Narrow(UpdateSection(L"A"));
  const std::string mark = ";qzu;\r\n[General]\r\n";
  const std::string message = mark + "MessageTitle=Hi\r\n" + a + ";";
  // Refused above its limit before anything in it is read, with or without the header check.
  const std::string largest = message + std::string(kMaxIniFileBytes - message.size(), 'x');
  const std::tuple<std::string, bool, ResultCode, const wchar_t*> cases[] = {
      {largest, true, kInvalidNotification, L"Hi"},
      {largest + "x", false, kInvalidHeader, L"-"},
      {"\xEF\xBB\xBF" + mark + a, true, kInvalidHeader, L"-"},
      {a, true, kInvalidHeader, L"-"},
      {"\xFF\xFE", true, kInvalidHeader, L"-"},
      {"[General]\r\nOther=1\r\n" + a, false, kSuccess, L""},
      {mark + "ConfigFileVersion=1\r\nMessageTitle=Hi\r\n" + a, true, kInvalidNotification, L"Hi"},
      {mark + "ConfigFileVersion=1.1\r\n" + a, true, kUndefinedConfigFormat, L"-"},
      {";qzu;\r\n[general]\r\nConfigFileVersion=1.0\r\n" + a, true, kInvalidUpdateSection, L"-"},
      {mark + "MessageTitle=Hi\r\nUpdatesDisabled=Paused.\r\n" + a, true, kUpdatesDisabled, L"-"},
  };
  for (const auto& [bytes, checkHeader, result, title] : cases) {
    const Fixture fixture;
    std::ofstream(fixture.path.c_str(), std::ios::binary) << bytes;
    fixture.client.Settings().WriteTime(SettingsKey::Settings, L"LastModified", {1, 2});
    UpdateList list;
    ServerConfig config(fixture.path, fixture.client, list);
    std::wstring read = L"-";
    config.SetServerMessageReader([&](const IniReader& reader) {
      read = reader.ReadText(L"General", L"MessageTitle");
      return read.empty() ? kSuccess : kInvalidNotification;
    });
    EXPECT_EQ(result, config.Load(checkHeader, true)) << bytes;
    EXPECT_EQ(title, read) << bytes;
    EXPECT_EQ(result != kInvalidHeader, test::FileExists(fixture.path)) << bytes;
    EXPECT_EQ(result != kInvalidHeader, fixture.HasLastModified()) << bytes;
  }
  EXPECT_EQ(L"Paused.", ResultText(kUpdatesDisabled));
  const Fixture fixture;
  UpdateList list;
  ServerConfig missing(fixture.config.File(L"no\\such.ini"), fixture.client, list);
  EXPECT_EQ(kUpToDate, missing.Load(true, true));
  ServerConfig held(fixture.Write(UpdateSection(L"A")), fixture.client, list);
  fixture.client.Settings().WriteTime(SettingsKey::Settings, L"LastModified", {1, 2});
  const FileHandle file(CreateFileW(fixture.path.c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_SHARING_VIOLATION), held.Load(true, true));
  EXPECT_FALSE(fixture.HasLastModified());
}

TEST(ServerConfigTest, InvalidSectionStopsTheLoadAndKeepsEarlierRecords) {
  const std::tuple<const wchar_t*, KeyChanges, ResultCode> cases[] = {
      {L"B", {{L"Name", L""}}, kInvalidUpdateSection},
      {L"B", {{L"Size", L"many"}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L""}, {L"URL2", L"https://x/y.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"FilePath", L""}, {L"Version", L">= 1.0"}}, kInvalidUpdateSection},
      {L"B", {{L"ReleaseDate", L"2021-03-05"}}, kInvalidUpdateSection},
      {L"B", {{L"URL", L"not a url"}}, ERROR_INTERNET_UNRECOGNIZED_SCHEME},
      // Names that would put the download outside its folder or open a device (IsPlainFileName),
      // and a path too long for the installer's partial file.
      {L"..\\..\\Startup", {}, kInvalidUpdateSection},  {L"nul .x", {}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", L"..\\..\\evil.exe"}}, kInvalidUpdateSection},
      {L"B", {{L"ServerFileName", std::wstring(MAX_PATH - 5, L'a')}}, kInvalidUpdateSection},
  };
  for (const auto& [section, changes, result] : cases) {
    const Fixture fixture;
    UpdateList list;
    const std::wstring invalid = UpdateSection(section, changes);
    const std::size_t logged = test::LogText().size();
    std::wstring heard;
    SetInvalidSectionListener([&](const std::wstring& name, const std::wstring& reason) {
      heard = L"Invalid update section [" + name + L"]: " + reason;
    });
    EXPECT_EQ(result, fixture.Load(UpdateSection(L"A") + invalid + UpdateSection(L"C"), &list))
        << Narrow(invalid);
    SetInvalidSectionListener(nullptr);
    const std::wstring line = L"Invalid update section [" + std::wstring(section) + L"]";
    EXPECT_EQ(result == kInvalidUpdateSection, test::LogText().find(line, logged) != line.npos);
    EXPECT_EQ(result == kInvalidUpdateSection,
              !heard.empty() && test::LogText().find(heard, logged) != heard.npos)
        << Narrow(heard);
    ASSERT_EQ(1u, list.updates.size()) << Narrow(invalid);
    EXPECT_EQ(L"A", list.updates[0].sectionName);
  }
}

TEST(ServerConfigTest, DownloadsOrSectionFolderLinkedElsewhereStopsTheLoad) {
  for (const std::wstring linked : {L"downloads", L"downloads\\A"}) {
    const Fixture fixture;
    CreateDirectoryW(fixture.config.File(L"elsewhere").c_str(), nullptr);
    if (linked != L"downloads") CreateDirectoryW(fixture.config.File(L"downloads").c_str(), nullptr);
    ASSERT_TRUE(test::UnixLink(fixture.config.File(linked), fixture.config.File(L"elsewhere")));
    const std::size_t logged = test::LogText().size();
    UpdateList list;
    EXPECT_EQ(kDownloadFolderIsLink, fixture.Load(UpdateSection(L"A"), &list)) << Narrow(linked);
    const std::wstring line = L"Download folder refused, a junction or symbolic link: ";
    EXPECT_NE(line.npos, test::LogText().find(line + fixture.config.File(linked), logged));
  }
}

TEST(ServerConfigTest, GarbageValuesGiveDefaultsAndHugeValuesAreCut) {
  const Fixture fixture;
  UpdateList list;
  const std::wstring huge(1 << 20, L'n');
  const std::wstring body = UpdateSection(
      L"A", {{L"Name", huge}, {L"State", L"x1"}, {L"Flags", L"|||"}, {L"Version", L"latest"},
             {L"TargetOsMaxVersion", L"99999999999"}, {L"FileSize", L"big"}, {L"Depends", L"A"},
             {L"AutoCloseApplication", L"|;;;x|"}, {L"NoGUICommandLineSwitch", L" QZEmptyField "},
             {L"Replaces", L";;"}, {L"FilePath", L"%NO_SUCH_VARIABLE_X%"}});
  ASSERT_EQ(kSuccess, fixture.Load(body, &list));
  const UpdateInfo& a = list.updates.at(0);
  EXPECT_TRUE(a.name == huge.substr(0, kMaxIniValueLength)) << a.name.size();
  EXPECT_EQ(kUpdateSingleUpdate, a.flags) << "no flag from garbage; a lone update is shown alone";
  EXPECT_TRUE(a.targetOsMaxVersion.IsZero() && a.version.IsZero() && a.fileSize == 0);
  EXPECT_EQ(kDetectionVersionGiven | kDetectionFileSizeGiven, a.detectionBits);
  EXPECT_EQ(1u, a.autoCloseApplications.size());
  EXPECT_EQ(L"", a.noGuiSwitch);
  EXPECT_FALSE(a.replacesAll || !a.replacedUpdates.empty());
  EXPECT_EQ(nullptr, a.dependsOn) << "a link to itself is ignored";
  EXPECT_EQ(L"%NO_SUCH_VARIABLE_X%", a.detectionTarget) << "kept as written when unresolved";
  EXPECT_EQ(1, a.targetUnresolved);
}

TEST(ServerConfigTest, LinksResolveCaseInsensitivelyAndAbsorbedItemsMergeAlongChains) {
  const Fixture fixture;
  UpdateList list;
  // A absorbs B; B and C absorb each other, a cycle that A's walk enters but does not close.
  const std::wstring body =
      UpdateSection(L"A", {{L"Feature", L"a"}, {L"NextDeprecated", L"b"}, {L"Depends", L"C"},
                           {L"Replaces", L"All;c;Missing;A"}}) +
      UpdateSection(L"B", {{L"Feature", L"b"}, {L"BugFix", L"fix b"}, {L"NextDeprecated", L"C"}}) +
      UpdateSection(L"C", {{L"Enhancement", L"c"}, {L"NextDeprecated", L"B"},
                           {L"Depends", L"Missing"}});
  ASSERT_EQ(kSuccess, fixture.Load(body, &list));
  UpdateInfo& a = list.updates[0];
  UpdateInfo& b = list.updates[1];
  UpdateInfo& c = list.updates[2];
  EXPECT_TRUE(a.replacesAll);
  EXPECT_EQ(std::vector<UpdateInfo*>{&c}, a.replacedUpdates);
  EXPECT_EQ(std::make_tuple(&c, &a, &b, static_cast<UpdateInfo*>(nullptr)),
            std::make_tuple(a.dependsOn, c.requiredBy, a.nextDeprecated, c.dependsOn));
  EXPECT_TRUE(b.isAbsorbed && c.isAbsorbed && !a.isAbsorbed);
  const std::tuple<Items, Items, Items> expected[] = {
      {{L"a", L"b"}, {L"c"}, {L"fix b"}}, {{L"b"}, {}, {L"fix b"}}, {{}, {L"c"}, {}}};
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    const UpdateInfo& u = list.updates[i];
    EXPECT_EQ(expected[i], std::tie(u.features.items, u.enhancements.items, u.bugFixes.items)) << i;
  }
  ASSERT_EQ(kSuccess, fixture.Load(body, &list, false));
  EXPECT_EQ(Items{L"a"}, list.updates[0].features.items) << "without merging";
}

TEST(ServerConfigTest, MergeTakesEachAbsorbedUpdateOnceAndEndsOnCycles) {
  // 0 -> 1 -> ... -> n-1 -> 1, and a second update n that absorbs 2 as well.
  constexpr std::size_t n = 20000;
  UpdateList list;
  auto& u = list.updates;
  u.resize(n + 1);
  for (std::size_t i = 0; i <= n; ++i) {
    u[i].bugFixes.items = {std::to_wstring(i)};
    const std::size_t next = i == n ? 2 : i + 1 == n ? 1 : i + 1;
    (u[i].nextDeprecated = &u[next])->isAbsorbed = true;
  }
  MergeAbsorbedItems(list);
  EXPECT_EQ(n, u[0].bugFixes.items.size());
  for (std::size_t i = 1; i <= n; ++i) {
    EXPECT_EQ(Items{std::to_wstring(i)}, u[i].bugFixes.items) << "taken once, by 0 only: " << i;
  }
}

TEST(ServerConfigTest, DownloadLocationsFromPlaceholderServerFileNameOrUrl) {
  // FILE:// takes the folder of each configuration location.
  const std::tuple<Items, ResultCode, Items> placeholders[] = {
      {{L"https://updates.example.com/app/u.ini", L"ftp://mirror.example.com/u.ini"}, kSuccess,
       {L"https://updates.example.com/app/setup.exe", L"ftp://mirror.example.com/setup.exe"}},
      {{L"C:\\Updates\\updates.ini"}, kSuccess, {L"file:///C:/Updates/setup.exe"}},
      {{L"\\\\server\\share\\app\\updates.ini"}, kSuccess, {L"file://server/share/app/setup.exe"}},
      {{L"https://updates.example.com/u.ini", L"not a location"}, kUnresolvedFileUrl, {}},
      {{L"not/a location"}, kUnresolvedFileUrl, {}},
  };
  for (const auto& [locations, result, urls] : placeholders) {
    const Fixture fixture(locations);
    UpdateList list;
    const KeyChanges keys = {{L"URL", L"FILE://"}, {L"URL1", L"file://"},
                             {L"ServerFileName", L"setup.exe"}};
    EXPECT_EQ(result, fixture.Load(UpdateSection(L"A", keys), &list)) << Narrow(locations[0]);
    EXPECT_EQ(urls, list.updates.empty() ? Items() : list.updates[0].urls);
  }
  const std::pair<KeyChanges, const wchar_t*> fileNames[] = {
      {{{L"ServerFileName", L"setup.exe"}}, L"setup.exe"},
      {{{L"URL", L"https://x.example.com/dl/tool.msi?token=1"}}, L"tool.msi"},
      {{{L"URL", L"https://x.example.com/dl/"}}, L"A"},
      {{{L"URL", L"https://x.example.com/dl/Con.exe"}}, L"A"},
  };
  const Fixture fixture;
  for (const auto& [changes, fileName] : fileNames) {
    UpdateList list;
    ASSERT_EQ(kSuccess, fixture.Load(UpdateSection(L"A", changes), &list)) << Narrow(fileName);
    EXPECT_EQ(fixture.config.File(L"downloads\\A\\") + fileName, list.updates[0].localFilePath);
  }
}

// Everything a section loads into, one field after another, so that a mismatch names the field.
std::wstring Describe(const UpdateInfo& u) {
  const auto join = [](const Items& items) {
    std::wstring text;
    for (const std::wstring& item : items) text += item + L";";
    return text;
  };
  const auto section = [](const UpdateInfo* other) { return other ? other->sectionName : L"-"; };
  Items autoClose, replaced;
  for (const auto& a : u.autoCloseApplications) autoClose.push_back(FormatAutoCloseEntry(a));
  for (const UpdateInfo* r : u.replacedUpdates) replaced.push_back(r->sectionName);
  const Items fields = {
      u.sectionName, u.name, std::to_wstring(u.state), join(u.updatedApplicationVersions),
      join(u.updatedApplications), join(u.descriptions), join(u.features.items),
      join(u.enhancements.items), join(u.bugFixes.items), std::to_wstring(u.size),
      std::to_wstring(u.flags), std::to_wstring(u.rolloutPercent), u.sha256, u.md5, u.blockMapUrl,
      u.serverFileName, join(u.urls), u.category,
      FormatIniDate(u.releaseDate), join(autoClose), u.commandLine, u.noGuiSwitch,
      FormatIniVersion(u.targetOsMinVersion), FormatIniVersion(u.targetOsMaxVersion),
      std::to_wstring(static_cast<int>(u.detectionKind)), std::to_wstring(u.detectionBits),
      u.detectionTarget, u.customDetectionParams, u.appIdName, u.appIdArch, u.appIdResourceId,
      u.appIdPublisherId, std::to_wstring(u.targetUnresolved),
      FormatVersionCondition(u.versionOperator, u.version), std::to_wstring(u.fileSize),
      section(u.dependsOn), std::to_wstring(u.replacesAll), join(replaced),
      section(u.nextDeprecated), u.localFilePath};
  return join(fields);
}

TEST(UpdateSectionKeysTest, EveryKeyIsReadWrittenBackAndKnownToValidation) {
  // Keys changed in section A, the first one the key under test, with a value that changes what
  // A loads; the key the writer stores it under when it is another (an HTML item goes back under
  // its plain key, merged with it).
  const struct {
    KeyChanges changes;
    const wchar_t* writtenAs;
  } cases[] = {
      {{{L"Name", L"Viewer \u00DCberarbeitung \u65E5\u672C"}}, nullptr},
      {{{L"State", L"3758096401"}}, nullptr},  // a result code above the signed range
      {{{L"UpdatedApplicationVersions", L">=1.0;<2.0"}}, nullptr},
      {{{L"UpdatedApplications", L"App[1.0-2.0)"}}, nullptr},
      {{{L"Description", L"Faster"}}, nullptr},
      {{{L"DescriptionHtml", L"<b>Faster</b>"}}, L"Description"},
      {{{L"Feature", L"Tabs"}}, nullptr},
      {{{L"FeatureHtml", L"<i>Tabs</i>"}}, L"Feature"},
      {{{L"Enhancement", L"Speed"}}, nullptr},
      {{{L"EnhancementHtml", L"<i>Speed</i>"}}, L"Enhancement"},
      {{{L"BugFix", L"Crash"}}, nullptr},
      {{{L"BugFixHtml", L"<i>Crash</i>"}}, L"BugFix"},
      {{{L"Size", L"2048"}}, nullptr},
      {{{L"Flags", L"Critical|Sys64"}}, nullptr},
      {{{L"RolloutPercent", L"25"}}, nullptr},
      {{{L"SHA256", L"9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08"}}, nullptr},
      {{{L"MD5", L"098F6BCD4621D373CADE4E832627B4F6"}}, nullptr},
      {{{L"BlockMap", L"https://dl.example.com/setup.exe.blockmap"}}, nullptr},
      {{{L"ServerFileName", L"setup.exe"}}, nullptr},
      {{{L"URL", L"ftp://mirror.example.com/setup.exe"}}, nullptr},
      {{{L"Category", L"Tools"}}, nullptr},
      {{{L"ReleaseDate", L"5/3/2021"}}, nullptr},
      {{{L"AutoCloseApplication", L"viewer.exe|/q;V\\;M;NoRestart"}}, nullptr},
      {{{L"CommandLine", L"/log \"[APPDIR]\\i\""}}, nullptr},
      {{{L"NoGUICommandLineSwitch", L"/exenoui"}}, nullptr},
      {{{L"TargetOsMinVersion", L"6.1"}}, nullptr},
      {{{L"TargetOsMaxVersion", L"10.0.65535.65535"}}, nullptr},
      {{{L"FilePath", L"[APPDIR]\\viewer.exe"}}, nullptr},
      {{{L"FileSize", L"4096"}}, nullptr},
      {{{L"RegistryKey", L"HKLM\\S\\V"}, {L"FilePath", L""}}, nullptr},
      {{{L"CustomDetection", L"[APPDIR]\\detect.exe"}, {L"FilePath", L""}}, nullptr},
      {{{L"CustomDetectionParams", L"-quiet"}}, nullptr},
      {{{L"AppIdName", L"Vendor.Viewer"}, {L"FilePath", L""}}, nullptr},
      {{{L"AppIdArch", L"x64"}}, nullptr},
      {{{L"AppIdResourceId", L"R"}}, nullptr},
      {{{L"AppIdPublisherId", L"8wekyb3d8bbwe"}}, nullptr},
      {{{L"Version", L"= 2.0.1"}}, nullptr},
      {{{L"Depends", L"B"}}, nullptr},
      {{{L"Replaces", L"All;B"}}, nullptr},
      {{{L"NextDeprecated", L"B"}}, nullptr},
  };
  const Fixture fixture;
  const auto load = [&](const std::wstring& path, bool checkHeader, UpdateList* list) {
    return ServerConfig(path, fixture.client, *list).Load(checkHeader, false);
  };
  UpdateList base;
  ASSERT_EQ(kSuccess, load(fixture.Write(UpdateSection(L"A") + UpdateSection(L"B")), true, &base));
  // Every other case in UTF-16, which the writer keeps, with the name in letters ANSI lacks.
  bool utf16 = false;
  for (const auto& c : cases) {
    const std::wstring key = c.changes.front().first;
    const std::string context = Narrow(key);
    utf16 = !utf16;
    // Files of their own: Wine's profile functions keep a file they read in memory.
    const std::wstring path = fixture.config.File(key + L".ini");
    test::WriteTextFile(path, L";qzu;\r\n" + UpdateSection(L"A", c.changes) + UpdateSection(L"B"),
                        utf16 ? TextEncoding::Utf16 : TextEncoding::Ansi);
    EXPECT_EQ(Items{}, FeedKeyProblems(ParseIniFile(test::ReadFileBytes(path))))
        << context << " is unknown to validation";
    UpdateList loaded;
    ASSERT_EQ(kSuccess, load(path, true, &loaded)) << context;
    using K = DetectionKind;
    const K kind = key == L"RegistryKey" ? K::Registry : key == L"CustomDetection" ? K::Custom
                   : key == L"AppIdName" ? K::AppPackage : K::File;
    EXPECT_EQ(kind, loaded.updates[0].detectionKind) << context;
    if (key == L"FilePath") {
      EXPECT_EQ(fixture.config.File(L"app\\viewer.exe"), loaded.updates[0].detectionTarget);
    }
    EXPECT_NE(Describe(base.updates[0]), Describe(loaded.updates[0])) << context << " is not read";

    for (UpdateInfo& update : loaded.updates) update.evaluated = true;
    const std::wstring written = fixture.config.File(key + L".dat");
    ASSERT_EQ(kSuccess, WriteSelectedUpdates(written, loaded, false)) << context;
    const std::string bytes = test::ReadFileBytes(written);
    EXPECT_EQ(utf16, bytes.rfind("\xFF\xFE", 0) == 0) << context;
    EXPECT_EQ(std::string::npos, bytes.find(";qzu;")) << context;
    const IniDocument document = ParseIniFile(bytes);
    EXPECT_NE(L"", document.Value(L"A", c.writtenAs ? c.writtenAs : key)) << context;
    EXPECT_EQ(Items{}, FeedKeyProblems(document)) << context << ": written but unknown";
    UpdateList reloaded;
    ASSERT_EQ(kSuccess, load(written, false, &reloaded)) << context;
    ASSERT_EQ(2u, reloaded.updates.size()) << context;
    for (std::size_t i = 0; i < 2; ++i) {
      EXPECT_EQ(Narrow(Describe(loaded.updates[i])), Narrow(Describe(reloaded.updates[i])))
          << context << " does not read back as it was written";
    }
  }
  // A key added to the table comes with a case here.
  for (const UpdateSectionKey& key : UpdateSectionKeys()) {
    const auto tested = [&](const auto& c) { return c.changes.front().first == key.name; };
    EXPECT_TRUE(std::any_of(std::begin(cases), std::end(cases), tested)) << Narrow(key.name);
  }
}

TEST(SelectedUpdatesWriterTest, WritesOnlyNeededOrCriticalUpdatesThenTheMessage) {
  const Fixture fixture;
  UpdateList list;
  ASSERT_EQ(kSuccess, fixture.Load(UpdateSection(L"A", {{L"Flags", L"Critical"}}) +
                                       UpdateSection(L"B") +
                                       UpdateSection(L"C", {{L"Flags", L"Major|Critical"}}) +
                                       UpdateSection(L"D", {{L"Flags", L"Critical"}}),
                                   &list));
  for (int i = 0; i < 3; ++i) list.updates[i].evaluated = true;  // D is not needed
  const std::wstring path = fixture.config.File(L"selected.dat");
  // A stale file from an earlier run must not leave its sections behind.
  test::WriteTextFile(path, UpdateSection(L"Stale"), TextEncoding::Ansi);
  for (const bool criticalOnly : {false, true}) {
    const auto message = [&](const IniReader& writer) {
      return criticalOnly ? writer.WriteText(L"General", L"MessageTitle", L"Hi") : kSuccess;
    };
    ASSERT_EQ(kSuccess, WriteSelectedUpdates(path, list, criticalOnly, message));
    const Items sections = criticalOnly ? Items{L"A", L"C", L"General"} : Items{L"A", L"B", L"C"};
    IniDocument written;
    ASSERT_EQ(kSuccess, IniFile(path).Read(&written));
    EXPECT_EQ(sections, written.SectionNames());
    EXPECT_EQ(criticalOnly ? L"Hi" : L"", written.Value(L"General", L"MessageTitle"));
  }
  EXPECT_EQ(kInvalidNotification, WriteSelectedUpdates(path, list, false, [](const IniReader&) {
              return kInvalidNotification;
            }));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_PATH_NOT_FOUND),
            WriteSelectedUpdates(fixture.config.File(L"missing\\selected.dat"), list, false));
}

}  // namespace
}  // namespace updater
