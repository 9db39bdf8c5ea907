#include "catalogue/SelectedUpdatesWriter.h"

#include <gtest/gtest.h>

#include <tuple>

#include "ServerConfigFixture.h"
#include "catalogue/ServerConfig.h"

namespace updater {
namespace {

using test::Narrow;
using test::ServerConfigFixture;
using test::TextEncoding;
using test::UpdateSection;

// Every key of the format, with escapes, HTML variants, links and all detection sources.
std::wstring RichUpdateConfig(const std::wstring& name) {
  return L"[General]\r\nConfigFileVersion=1.0\r\n" +
         UpdateSection(
             L"Main",
             {{L"Name", name}, {L"State", L"3758096397"},
              {L"UpdatedApplicationVersions", L">= 2.0;< 3.0"},
              {L"UpdatedApplications", L"Viewer[1.0-2.0);Editor\\;Pro[3.1]"},
              {L"Description", L"First paragraph"},
              {L"DescriptionHtml1", L"<b>Second</b> paragraph"},
              {L"Feature", L"Tabs"}, {L"FeatureHtml1", L"<i>Themes</i>"}, {L"Size", L"123456"},
              {L"Enhancement1", L"Faster start"}, {L"BugFix", L"Crash on exit"},
              {L"Flags", L"Critical|SilentInstall|Sys64|NoRedetect"},
              {L"SHA256", L"9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08"},
              {L"MD5", L"098F6BCD4621D373CADE4E832627B4F6"}, {L"ServerFileName", L"main-setup.exe"},
              {L"URL", L"https://downloads.example.com/main-setup.exe"},
              {L"URL1", L"ftp://mirror.example.com/pub/main-setup.exe"},
              {L"Category", L"Security"}, {L"ReleaseDate", L"5/3/2021"},
              {L"AutoCloseApplication",
               L"viewer.exe|/quit;Viewer - \\;Main;NoRestart|QueryEndSession"},
              {L"AutoCloseApplication1", L"helper.exe"},
              {L"CommandLine", L"/norestart /log \"[APPDIR]\\install.log\""},
              {L"NoGUICommandLineSwitch", L"/exenoui"}, {L"TargetOsMinVersion", L"6.1"},
              {L"TargetOsMaxVersion", L"10.0.65535.65535"}, {L"FilePath", L"[APPDIR]\\viewer.exe"},
              {L"FileSize", L"4096"}, {L"Version", L"= 2.0.1"}, {L"Depends", L"Runtime"},
              {L"Replaces", L"All;Old"}, {L"NextDeprecated", L"Old"}}) +
         UpdateSection(L"Runtime", {{L"FilePath", L""},
                                    {L"RegistryKey", L"HKUD\\Software\\Runtime\\Version"},
                                    {L"Version", L">= 1.5"},
                                    {L"URL", L"https://downloads.example.com/rt/runtime.msi"}}) +
         UpdateSection(L"Old", {{L"FilePath", L""},
                                {L"CustomDetection", L"[APPDIR]\\detect.exe"},
                                {L"CustomDetectionParams", L"--old"},
                                {L"Feature", L"Old feature"}}) +
         UpdateSection(L"Package", {{L"FilePath", L""}, {L"AppIdName", L"Vendor.Viewer"},
                                    {L"AppIdArch", L"x64"}, {L"AppIdResourceId", L"res"},
                                    {L"AppIdPublisherId", L"8wekyb3d8bbwe"}, {L"Version", L"3.0"},
                                    {L"Flags", L"Os64|NotSelected"}});
}

std::wstring SectionOf(const UpdateInfo* update) {
  return update != nullptr ? update->sectionName : L"(none)";
}

// Every field that the writer emits or that loading derives from it, in comparable form.
auto Fields(const UpdateInfo& u) {
  std::vector<std::wstring> autoClose;
  for (const auto& a : u.autoCloseApplications) autoClose.push_back(FormatAutoCloseEntry(a));
  std::vector<std::wstring> replaced;
  for (const UpdateInfo* r : u.replacedUpdates) replaced.push_back(SectionOf(r));
  const std::vector<std::wstring> texts = {
      u.sectionName, u.name, u.category, u.serverFileName, u.sha256, u.md5, u.commandLine,
      u.noGuiSwitch, u.detectionTarget, u.customDetectionParams, u.appIdName, u.appIdArch,
      u.appIdResourceId, u.appIdPublisherId, u.localFilePath, FormatIniDate(u.releaseDate),
      FormatIniVersion(u.targetOsMinVersion), FormatIniVersion(u.targetOsMaxVersion),
      FormatVersionCondition(u.versionOperator, u.version), SectionOf(u.dependsOn),
      SectionOf(u.requiredBy), SectionOf(u.nextDeprecated)};
  const std::vector<std::int64_t> numbers = {
      u.size, u.flags, static_cast<int>(u.detectionKind), u.detectionBits, u.targetUnresolved,
      static_cast<int>(u.versionOperator), u.fileSize, u.state, u.replacesAll, u.isAbsorbed};
  return std::make_tuple(texts, numbers, autoClose, replaced, u.updatedApplicationVersions,
                         u.updatedApplications, u.descriptions, u.features.items,
                         u.enhancements.items, u.bugFixes.items, u.urls);
}

TEST(SelectedUpdatesWriterTest, WrittenUpdatesLoadBackWithEveryField) {
  const std::pair<TextEncoding, const wchar_t*> cases[] = {
      {TextEncoding::Ansi, L"Viewer 2.0.1"},
      {TextEncoding::Utf16, L"Viewer \u00DCberarbeitung \u65E5\u672C"}};
  for (const auto& [encoding, name] : cases) {
    const ServerConfigFixture fixture;
    UpdateList loaded;
    ServerConfig source(fixture.WriteUpdateConfig(RichUpdateConfig(name), encoding),
                        fixture.Client(), loaded);
    ASSERT_EQ(kSuccess, source.Load(true, true));
    ASSERT_EQ(4u, loaded.updates.size());
    for (UpdateInfo& update : loaded.updates) update.evaluated = true;
    // The loaded values the round trip must keep, beyond plain copies.
    const UpdateInfo& main = loaded.updates[0];
    EXPECT_EQ(fixture.Folder().File(L"app") + L"\\viewer.exe", main.detectionTarget);
    EXPECT_EQ((std::vector<std::wstring>{L"Tabs", L"<i>Themes</i>", L"Old feature"}),
              main.features.items);
    EXPECT_EQ(static_cast<DWORD>(0xE000000D), main.state);

    const std::wstring written = fixture.Folder().File(L"selected.dat");
    ASSERT_EQ(kSuccess, WriteSelectedUpdates(written, loaded, false));
    const std::string bytes = test::ReadFileBytes(written);
    EXPECT_EQ(encoding == TextEncoding::Utf16, bytes.rfind("\xFF\xFE", 0) == 0);
    EXPECT_EQ(std::string::npos, bytes.find(";qzu;"));

    UpdateList reloaded;
    ServerConfig selected(written, fixture.Client(), reloaded);
    ASSERT_EQ(kSuccess, selected.Load(false, false));
    EXPECT_EQ(loaded.isUtf16, reloaded.isUtf16);
    ASSERT_EQ(loaded.updates.size(), reloaded.updates.size());
    for (std::size_t i = 0; i < loaded.updates.size(); ++i) {
      EXPECT_EQ(Fields(loaded.updates[i]), Fields(reloaded.updates[i])) << i;
    }
  }
}

TEST(SelectedUpdatesWriterTest, WritesOnlyNeededUpdatesAndWithCriticalOnlyTheCriticalOnes) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring body = UpdateSection(L"A", {{L"Flags", L"Critical"}}) + UpdateSection(L"B") +
                            UpdateSection(L"C", {{L"Flags", L"Major|Critical"}}) +
                            UpdateSection(L"D", {{L"Flags", L"Critical"}});
  ServerConfig source(fixture.WriteUpdateConfig(body), fixture.Client(), list);
  ASSERT_EQ(kSuccess, source.Load(true, true));
  for (int i = 0; i < 3; ++i) list.updates[i].evaluated = true;  // D is not needed
  const std::pair<bool, std::vector<std::wstring>> cases[] = {{false, {L"A", L"B", L"C"}},
                                                               {true, {L"A", L"C"}}};
  const std::wstring path = fixture.Folder().File(L"selected.dat");
  // A stale file from an earlier run must not leave its sections behind.
  test::WriteTextFile(path, UpdateSection(L"Stale"), TextEncoding::Ansi);
  for (const auto& [criticalOnly, sections] : cases) {
    ASSERT_EQ(kSuccess, WriteSelectedUpdates(path, list, criticalOnly));
    EXPECT_EQ(sections, IniFile(path).ReadSectionNames()) << "critical only " << criticalOnly;
  }
}

TEST(SelectedUpdatesWriterTest, ServerMessagePartWritesIntoGeneralAndReportsItsResult) {
  const ServerConfigFixture fixture;
  UpdateList list;
  const std::wstring path = fixture.Folder().File(L"selected.dat");
  EXPECT_EQ(kSuccess, WriteSelectedUpdates(path, list, false, [](const IniReader& writer) {
              return writer.WriteText(L"General", L"MessageTitle", L"Hello");
            }));
  EXPECT_EQ(L"Hello", IniFile(path).ReadString(L"General", L"MessageTitle"));
  EXPECT_EQ(kInvalidNotification, WriteSelectedUpdates(path, list, false, [](const IniReader&) {
              return kInvalidNotification;
            }));
}

TEST(SelectedUpdatesWriterTest, UnwritablePathGivesTheWindowsError) {
  const ServerConfigFixture fixture;
  UpdateList list;
  EXPECT_EQ(static_cast<ResultCode>(ERROR_PATH_NOT_FOUND),
            WriteSelectedUpdates(fixture.Folder().File(L"missing\\selected.dat"), list, false));
}

}  // namespace
}  // namespace updater
