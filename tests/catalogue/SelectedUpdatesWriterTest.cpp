#include "catalogue/SelectedUpdatesWriter.h"

#include <gtest/gtest.h>

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
             {{L"Name", name},
              {L"State", L"3758096397"},
              {L"UpdatedApplicationVersions", L">= 2.0;< 3.0"},
              {L"UpdatedApplications", L"Viewer[1.0-2.0);Editor\\;Pro[3.1]"},
              {L"Description", L"First paragraph"},
              {L"DescriptionHtml1", L"<b>Second</b> paragraph"},
              {L"Feature", L"Tabs"},
              {L"FeatureHtml1", L"<i>Themes</i>"},
              {L"Enhancement1", L"Faster start"},
              {L"BugFix", L"Crash on exit"},
              {L"Size", L"123456"},
              {L"Flags", L"Critical|SilentInstall|Sys64|NoRedetect"},
              {L"SHA256", L"9F86D081884C7D659A2FEAA0C55AD015A3BF4F1B2B0B822CD15D6C15B0F00A08"},
              {L"MD5", L"098F6BCD4621D373CADE4E832627B4F6"},
              {L"ServerFileName", L"main-setup.exe"},
              {L"URL", L"https://downloads.example.com/main-setup.exe"},
              {L"URL1", L"ftp://mirror.example.com/pub/main-setup.exe"},
              {L"Category", L"Security"},
              {L"ReleaseDate", L"5/3/2021"},
              {L"AutoCloseApplication", L"viewer.exe|/quit;Viewer - \\;Main;NoRestart|QueryEndSession"},
              {L"AutoCloseApplication1", L"helper.exe"},
              {L"CommandLine", L"/norestart /log \"[APPDIR]\\install.log\""},
              {L"NoGUICommandLineSwitch", L"/exenoui"},
              {L"TargetOsMinVersion", L"6.1"},
              {L"TargetOsMaxVersion", L"10.0.65535.65535"},
              {L"FilePath", L"[APPDIR]\\viewer.exe"},
              {L"FileSize", L"4096"},
              {L"Version", L"= 2.0.1"},
              {L"Depends", L"Runtime"},
              {L"Replaces", L"All;Old"},
              {L"NextDeprecated", L"Old"}}) +
         UpdateSection(L"Runtime", {{L"FilePath", L""},
                                    {L"RegistryKey", L"HKUD\\Software\\Runtime\\Version"},
                                    {L"Version", L">= 1.5"},
                                    {L"URL", L"https://downloads.example.com/rt/runtime.msi"}}) +
         UpdateSection(L"Old", {{L"FilePath", L""},
                                {L"CustomDetection", L"[APPDIR]\\detect.exe"},
                                {L"CustomDetectionParams", L"--old"},
                                {L"Feature", L"Old feature"}}) +
         UpdateSection(L"Package", {{L"FilePath", L""},
                                    {L"AppIdName", L"Vendor.Viewer"},
                                    {L"AppIdArch", L"x64"},
                                    {L"AppIdResourceId", L"res"},
                                    {L"AppIdPublisherId", L"8wekyb3d8bbwe"},
                                    {L"Version", L"3.0"},
                                    {L"Flags", L"Os64|NotSelected"}});
}

std::wstring SectionOf(const UpdateInfo* update) {
  return update != nullptr ? update->sectionName : L"(none)";
}

void ExpectSameRecord(const UpdateInfo& a, const UpdateInfo& b) {
  SCOPED_TRACE(Narrow(a.sectionName));
  EXPECT_EQ(a.sectionName, b.sectionName);
  EXPECT_EQ(a.name, b.name);
  EXPECT_EQ(a.category, b.category);
  EXPECT_EQ(a.serverFileName, b.serverFileName);
  EXPECT_EQ(a.updatedApplicationVersions, b.updatedApplicationVersions);
  EXPECT_EQ(a.updatedApplications, b.updatedApplications);
  EXPECT_EQ(a.descriptions, b.descriptions);
  EXPECT_EQ(a.features.items, b.features.items);
  EXPECT_EQ(a.enhancements.items, b.enhancements.items);
  EXPECT_EQ(a.bugFixes.items, b.bugFixes.items);
  EXPECT_EQ(a.size, b.size);
  EXPECT_EQ(a.flags, b.flags);
  EXPECT_EQ(a.sha256, b.sha256);
  EXPECT_EQ(a.md5, b.md5);
  EXPECT_EQ(a.urls, b.urls);
  ASSERT_EQ(a.autoCloseApplications.size(), b.autoCloseApplications.size());
  for (std::size_t i = 0; i < a.autoCloseApplications.size(); ++i) {
    EXPECT_EQ(a.autoCloseApplications[i].application, b.autoCloseApplications[i].application);
    EXPECT_EQ(a.autoCloseApplications[i].arguments, b.autoCloseApplications[i].arguments);
    EXPECT_EQ(a.autoCloseApplications[i].windowTitle, b.autoCloseApplications[i].windowTitle);
    EXPECT_EQ(a.autoCloseApplications[i].flags, b.autoCloseApplications[i].flags);
  }
  EXPECT_EQ(a.commandLine, b.commandLine);
  EXPECT_EQ(a.noGuiSwitch, b.noGuiSwitch);
  EXPECT_TRUE(Equal(a.targetOsMinVersion, b.targetOsMinVersion));
  EXPECT_TRUE(Equal(a.targetOsMaxVersion, b.targetOsMaxVersion));
  EXPECT_EQ(a.detectionKind, b.detectionKind);
  EXPECT_EQ(a.detectionBits, b.detectionBits);
  EXPECT_EQ(a.detectionTarget, b.detectionTarget);
  EXPECT_EQ(a.customDetectionParams, b.customDetectionParams);
  EXPECT_EQ(a.appIdName, b.appIdName);
  EXPECT_EQ(a.appIdArch, b.appIdArch);
  EXPECT_EQ(a.appIdResourceId, b.appIdResourceId);
  EXPECT_EQ(a.appIdPublisherId, b.appIdPublisherId);
  EXPECT_EQ(a.targetUnresolved, b.targetUnresolved);
  EXPECT_EQ(a.versionOperator, b.versionOperator);
  EXPECT_TRUE(Equal(a.version, b.version));
  EXPECT_EQ(a.fileSize, b.fileSize);
  EXPECT_EQ(a.releaseDate.wDay, b.releaseDate.wDay);
  EXPECT_EQ(a.releaseDate.wMonth, b.releaseDate.wMonth);
  EXPECT_EQ(a.releaseDate.wYear, b.releaseDate.wYear);
  EXPECT_EQ(SectionOf(a.dependsOn), SectionOf(b.dependsOn));
  EXPECT_EQ(SectionOf(a.requiredBy), SectionOf(b.requiredBy));
  EXPECT_EQ(a.replacesAll, b.replacesAll);
  ASSERT_EQ(a.replacedUpdates.size(), b.replacedUpdates.size());
  for (std::size_t i = 0; i < a.replacedUpdates.size(); ++i) {
    EXPECT_EQ(SectionOf(a.replacedUpdates[i]), SectionOf(b.replacedUpdates[i]));
  }
  EXPECT_EQ(SectionOf(a.nextDeprecated), SectionOf(b.nextDeprecated));
  EXPECT_EQ(a.isAbsorbed, b.isAbsorbed);
  EXPECT_EQ(a.state, b.state);
  EXPECT_EQ(a.localFilePath, b.localFilePath);
}

TEST(SelectedUpdatesWriterTest, WrittenUpdatesLoadBackWithEveryField) {
  struct Case {
    TextEncoding encoding;
    const wchar_t* name;
  };
  const Case cases[] = {{TextEncoding::Ansi, L"Viewer 2.0.1"},
                        {TextEncoding::Utf16, L"Viewer \u00DCberarbeitung \u65E5\u672C"}};
  for (const Case& c : cases) {
    const ServerConfigFixture fixture;
    UpdateList loaded;
    ServerConfig source(fixture.WriteUpdateConfig(RichUpdateConfig(c.name), c.encoding),
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
    EXPECT_EQ(c.encoding == TextEncoding::Utf16, bytes.rfind("\xFF\xFE", 0) == 0);
    EXPECT_EQ(std::string::npos, bytes.find(";qzu;"));

    UpdateList reloaded;
    ServerConfig selected(written, fixture.Client(), reloaded);
    ASSERT_EQ(kSuccess, selected.Load(false, false));
    EXPECT_EQ(loaded.isUtf16, reloaded.isUtf16);
    ASSERT_EQ(loaded.updates.size(), reloaded.updates.size());
    for (std::size_t i = 0; i < loaded.updates.size(); ++i) {
      ExpectSameRecord(loaded.updates[i], reloaded.updates[i]);
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
  list.updates[0].evaluated = true;
  list.updates[1].evaluated = true;
  list.updates[2].evaluated = true;

  struct Case {
    bool criticalOnly;
    std::vector<std::wstring> sections;
  };
  const Case cases[] = {{false, {L"A", L"B", L"C"}}, {true, {L"A", L"C"}}};
  const std::wstring path = fixture.Folder().File(L"selected.dat");
  // A stale file from an earlier run must not leave its sections behind.
  test::WriteTextFile(path, UpdateSection(L"Stale"), TextEncoding::Ansi);
  for (const Case& c : cases) {
    ASSERT_EQ(kSuccess, WriteSelectedUpdates(path, list, c.criticalOnly));
    EXPECT_EQ(c.sections, IniFile(path).ReadSectionNames()) << "critical only " << c.criticalOnly;
  }
}

TEST(SelectedUpdatesWriterTest, NoNeededUpdatesGiveAFileThatLoadsEmpty) {
  for (const bool utf16 : {false, true}) {
    const ServerConfigFixture fixture;
    UpdateList list;
    list.isUtf16 = utf16;
    list.updates.emplace_back();
    const std::wstring path = fixture.Folder().File(L"selected.dat");
    ASSERT_EQ(kSuccess, WriteSelectedUpdates(path, list, false));
    EXPECT_EQ(utf16 ? std::string("\xFF\xFE") : std::string(), test::ReadFileBytes(path));
    UpdateList reloaded;
    EXPECT_EQ(kSuccess, ServerConfig(path, fixture.Client(), reloaded).Load(false, false));
    EXPECT_TRUE(reloaded.updates.empty());
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
  EXPECT_EQ(kInvalidNotification,
            WriteSelectedUpdates(path, list, false,
                                 [](const IniReader&) { return kInvalidNotification; }));
}

TEST(SelectedUpdatesWriterTest, UnwritablePathGivesTheWindowsError) {
  const ServerConfigFixture fixture;
  UpdateList list;
  EXPECT_EQ(static_cast<ResultCode>(ERROR_PATH_NOT_FOUND),
            WriteSelectedUpdates(fixture.Folder().File(L"missing\\selected.dat"), list, false));
}

}  // namespace
}  // namespace updater
