#include "catalogue/GitHubSource.h"

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "catalogue/IniReader.h"
#include "catalogue/ReleaseNotes.h"
#include "config/ClientConfig.h"

namespace updater {
namespace {

using test::Narrow;
using Items = std::vector<std::wstring>;

// An asset as the listing describes it, with members the source ignores.
std::string Asset(const std::string& name, const std::string& size = "4096") {
  return R"({"url":"https://api.github.com/repos/o/r/releases/assets/7","id":7,"node_id":"RA_7",)"
         R"("name":")" + name + R"(","label":null,"uploader":{"login":"o","id":1},)"
         R"("content_type":"application/octet-stream","state":"uploaded","size":)" + size +
         R"(,"download_count":3,"created_at":"2024-03-01T11:00:00Z",)"
         R"("browser_download_url":"https://github.com/o/r/releases/download/v2.1.0/)" + name +
         R"("})";
}
const std::string kMsi = Asset("setup.msi");

// A release with the members a listing holds; members in `first` come first, which the lookup of
// a repeated member finds.
std::string Release(const std::string& first, const std::string& assets = kMsi) {
  return "{" + first + R"("url":"https://api.github.com/repos/o/r/releases/1","id":1,)"
         R"("author":{"login":"o","id":1,"type":"User"},"node_id":"RE_1","tag_name":"v2.1.0",)"
         R"("target_commitish":"main","name":"Two","draft":false,"prerelease":false,)"
         R"("created_at":"2024-03-01T10:00:00Z","published_at":"2024-03-01T12:00:00Z",)"
         R"("body":"Notes","reactions":{"+1":2},"assets":[)" + assets + "]}";
}

struct Fixture {
  // Loads `listing`; the settings asset, when fetched, holds `settings` (nothing: the fetch fails).
  ResultCode Load(const std::string& listing, const std::string& settings, UpdateList* list) {
    test::WriteBytes(path, listing);
    const AssetFetcher fetch = [&](const std::wstring& url, DWORD size, const std::wstring& local) {
      fetched = url + L" " + std::to_wstring(size);
      if (settings.empty()) return static_cast<ResultCode>(ERROR_FILE_NOT_FOUND);
      test::WriteBytes(local, settings);
      return kSuccess;
    };
    return GitHubSource(path, client, *list, fetch).Load(true, true);
  }

  test::ClientConfigFile folder{L"GitHub"};
  ClientConfig client = folder.Load(L"CompanyName=Merrow\r\nApplicationName=Ruddle\r\n"
                                    L"DownloadsFolder=" + folder.File(L"downloads") + L"\r\n");
  std::wstring path = folder.File(L"releases.json");
  std::wstring fetched;
};

TEST(GitHubSourceTest, ReleasesBecomeUpdatesWithTheirInstallerAndDetection) {
  const std::string settings = Asset("TOVAN_update.json", "200");
  std::string atBound = "[" + Release("");
  atBound += std::string(kMaxReleaseListingBytes - atBound.size() - 1, ' ') + "]";
  const struct Case {
    std::string listing, settings;
    ResultCode result;
    // Of the first record: section, file, size, name, detection target, version condition.
    const wchar_t *section = nullptr, *file = nullptr, *size = nullptr, *name = nullptr,
                  *target = nullptr, *version = nullptr;
  } cases[] = {
      {"[" + Release(R"("draft":true,"node_id":"RE_0",)") + "," + Release("") + "]", "", kSuccess,
       L"RE_1", L"setup.msi", L"4096", L"Two", L"HKLM\\Software\\Merrow\\Ruddle\\Version", L">= 2.1"},
      {"[" + Release(R"("prerelease":true,)") + "]", "", kSuccess},
      {"[" + Release(R"("name":"",)", Asset("notes.txt") + "," + kMsi + "," + Asset("setup.exe", "9")) +
           "]", "", kSuccess, L"RE_1", L"setup.msi", L"4096", L"Ruddle v2.1.0",
       L"HKLM\\Software\\Merrow\\Ruddle\\Version", L">= 2.1"},
      {"[" + Release(R"("name":5,"tag_name":"V3_0",)") + "]", "", kSuccess, L"RE_1", L"setup.msi",
       L"4096", L"Ruddle V3_0", L"HKLM\\Software\\Merrow\\Ruddle\\Version", L">= 3.0"},
      {"[" + Release("", kMsi + "," + Asset("setup.exe", "9") + "," + settings) + "]",
       R"({"ServerFileName":"SETUP.EXE","RegistryKey":"HKCU\\K\\V","Version":"=4"})", kSuccess,
       L"RE_1", L"SETUP.EXE", L"9", L"Two", L"HKCU\\K\\V", L"= 4.0"},
      // The settings asset unfetched, no object, or without a detection key: the defaults stay.
      {"[" + Release("", settings + "," + kMsi) + "]", "", kSuccess, L"RE_1", L"setup.msi",
       L"4096", L"Two", L"HKLM\\Software\\Merrow\\Ruddle\\Version", L">= 2.1"},
      {"[" + Release("", settings + "," + kMsi) + "]", "[1]", kSuccess, L"RE_1", L"setup.msi"},
      {"[" + Release("", settings + "," + kMsi) + "]", R"({"Version":"9"})", kSuccess, L"RE_1",
       L"setup.msi", L"4096", L"Two", L"HKLM\\Software\\Merrow\\Ruddle\\Version", L">= 2.1"},
      {"[" + Release("", settings + "," + kMsi) + "]", R"({"ReleaseDate":"2024-03-01"})",
       kInvalidUpdateSection},
      // A tag without a version detects nothing by itself: such a release is passed over, unless
      // the settings' rule stands instead.
      {"[" + Release(R"("tag_name":"nightly","node_id":"RE_0",)") + "," + Release("") + "]", "",
       kSuccess, L"RE_1", L"setup.msi", L"4096", L"Two", L"HKLM\\Software\\Merrow\\Ruddle\\Version",
       L">= 2.1"},
      {"[" + Release(R"("tag_name":21,)") + "]", "", kSuccess},
      {"[" + Release(R"("tag_name":"latest",)", settings + "," + kMsi) + "]",
       R"({"RegistryKey":"HKCU\\K\\V","Version":"=4"})", kSuccess, L"RE_1", L"setup.msi", L"4096",
       L"Two", L"HKCU\\K\\V", L"= 4.0"},
      {"[" + Release("", settings + "," + kMsi) + "]", R"({"ServerFileName":"..\\x.exe"})",
       kInvalidUpdateSection},
      {"[" + Release("", Asset("setup.zip")) + "]", "", kInvalidUpdateSection},
      {"[" + Release("", Asset("setup.msi", "\"4096\"") + "," + Asset("a:b.exe")) + "]", "",
       kInvalidUpdateSection},
      {"[" + Release("", Asset("setup.msi", "3000000000")) + "]", "", kInvalidUpdateSection},
      {"[" + Release(R"("assets":{},)") + "]", "", kInvalidUpdateSection},
      {"[" + Release(R"("node_id":7,)") + "]", "", kInvalidUpdateSection},
      {"[" + Release(R"("node_id":"COM1",)") + "]", "", kInvalidUpdateSection},
      {"[" + Release(R"("node_id":")" + std::string(300, 'R') + "\",") + "]", "",
       kInvalidUpdateSection},
      {"[" + Release(R"("published_at":"2024-03T1",)") + "]", "", kInvalidUpdateSection},
      {"[" + Release("") + ",3]", "", kInvalidUpdateSection, L"RE_1", L"setup.msi"},
      {"{}", "", kInvalidHeader},
      {"[" + Release("").substr(0, 200), "", kInvalidHeader},
      {"[\"\xC3\x28\"]", "", kInvalidHeader},
      {std::string(100000, '[') + std::string(100000, ']'), "", kInvalidHeader},
      // A listing of exactly the bound is read; one byte more is refused unread.
      {atBound, "", kSuccess, L"RE_1", L"setup.msi", L"4096", L"Two",
       L"HKLM\\Software\\Merrow\\Ruddle\\Version", L">= 2.1"},
      {atBound + " ", "", kInvalidHeader},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.listing.substr(0, 300) + " / " + c.settings);
    Fixture fixture;
    UpdateList list;
    EXPECT_EQ(c.result, fixture.Load(c.listing, c.settings, &list));
    EXPECT_EQ(c.result != kInvalidHeader, test::FileExists(fixture.path));
    if (!c.settings.empty()) {
      EXPECT_EQ(L"https://github.com/o/r/releases/download/v2.1.0/TOVAN_update.json 200",
                fixture.fetched);
    }
    ASSERT_EQ(c.section != nullptr, list.updates.size() == 1);
    if (c.section == nullptr) continue;
    const UpdateInfo& update = list.updates.front();
    EXPECT_EQ(c.section, update.sectionName);
    EXPECT_EQ(c.file, update.serverFileName);
    EXPECT_EQ(fixture.folder.File(L"downloads\\RE_1\\") + c.file, update.localFilePath);
    EXPECT_TRUE(update.replacesAll);
    if (c.size == nullptr) continue;
    EXPECT_EQ(c.size, std::to_wstring(update.size));
    const std::wstring asset = c.size == std::wstring(L"9") ? L"setup.exe" : L"setup.msi";
    EXPECT_EQ(Items{L"https://github.com/o/r/releases/download/v2.1.0/" + asset}, update.urls);
    EXPECT_EQ(c.name, update.name);
    EXPECT_EQ(c.target, update.detectionTarget);
    EXPECT_EQ(c.version, FormatVersionCondition(update.versionOperator, update.version));
    EXPECT_EQ(2024 * 10000 + 301, update.releaseDate.wYear * 10000 + update.releaseDate.wMonth * 100 +
                                      update.releaseDate.wDay);
  }
}

TEST(ReleaseNotesTest, HeadingsChooseTheGroupAndLinksAndCodeBecomeMarkup) {
  const struct {
    std::wstring markdown;
    Items descriptions, features, enhancements, bugFixes;
  } cases[] = {
      {L"First line\r\ngoes on.\r\n\r\n## Features\r\n- One\r\n* Two\r\n  wraps\r\n"
       L"### Bug Fixes \t\r\n1. Fixed `a<b` in [the docs](https://x.test/a\"b)\r\n"
       L"# Other\r\nFull **changelog**: <https://x.test/c>",
       {L"First line goes on.", L"Other",
        L"Full <b>changelog</b>: <a href=\"https://x.test/c\">https://x.test/c</a>"},
       {L"One", L"Two wraps"}, {},
       {L"Fixed <code>a&lt;b</code> in <a href=\"https://x.test/a%22b\">the docs</a>"}},
      {L"#Features\nEnhancements\n## Enhancements\n+ Kept <as> & written [not a] (link)\n"
       L"2) ``code ` span`` & ![alt](i.png)",
       {L"#Features Enhancements"}, {},
       {L"Kept <as> & written [not a] (link)",
        L"<code>code ` span</code> &amp; <a href=\"i.png\">alt</a>"},
       {}},
      {std::wstring(L"[link](a\0b)", 11), {std::wstring(L"<a href=\"a\0b\">link</a>", 22)}, {}, {},
       {}},
  };
  for (const auto& c : cases) {
    UpdateInfo update;
    ReadReleaseNotes(c.markdown, &update);
    EXPECT_EQ(c.descriptions, update.descriptions) << Narrow(c.markdown);
    EXPECT_EQ(c.features, update.features.items) << Narrow(c.markdown);
    EXPECT_EQ(c.enhancements, update.enhancements.items) << Narrow(c.markdown);
    EXPECT_EQ(c.bugFixes, update.bugFixes.items) << Narrow(c.markdown);
  }
  // Openers without closers: a search to the end for each would not finish.
  for (const wchar_t* opener : {L"[", L"`", L"**", L"<http://"}) {
    std::wstring text;
    for (int i = 0; i < 200000; ++i) text += opener;
    text += L"](";
    EXPECT_EQ(text, ConvertInlineMarkdown(text)) << Narrow(opener);
  }
}

}  // namespace
}  // namespace updater
