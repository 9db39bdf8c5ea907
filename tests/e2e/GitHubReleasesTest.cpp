#include <gtest/gtest.h>

#include "e2e/Scenario.h"

namespace updater::test {

// An application whose updates are the releases of a repository, listed in releases.json.
void ConfigureReleases(const Scenario& s) {
  s.Configure(L"Flags=GitHubUpdates\r\nCompanyName=Updater Tests\r\n"
              L"ApplicationName=Fixture Package\r\nURL=" + s.Url(L"releases.json") + L"\r\n",
              true);
}

// The release's settings file is missing on the server, which leaves the release as listed; a
// draft and a nightly build whose tag holds no version are passed over.
TEST(GitHubReleasesTest, SilentInstallOfTheNewestReleaseThenTheTagVersionIsDetected) {
  RemoveFixturePackages();
  Scenario s;
  ConfigureReleases(s);
  s.PackageSection(L"MsiFixture.msi", L"");  // serves Package.msi
  const std::wstring size = std::to_wstring(ReadFileBytes(FixturePath(L"MsiFixture.msi")).size());
  s.Serve(L"releases.json",
          LR"([{"node_id":"RE_draft","draft":true,"tag_name":"v9.0.0","assets":[]},
               {"node_id":"RE_nightly","tag_name":"nightly","assets":[{"name":"n.msi","size":1,
                "browser_download_url":"http://127.0.0.1/n.msi"}]},
               {"url":"https://api.github.com/repos/o/r/releases/2","node_id":"RE_kwDOAbc",
                "tag_name":"v1.2.0","name":"","draft":false,"prerelease":false,
                "published_at":"2024-03-01T12:00:00Z","body":"## Bug Fixes\r\n- `Version` set",
                "assets":[{"name":"tovan_update.json","size":20,"browser_download_url":")" +
              s.Url(L"missing.json") + LR"("},{"name":"Package.msi","content_type":"application/x-msi","size":)" +
              size + LR"(,"browser_download_url":")" + s.Url(L"Package.msi") + LR"("}]}])");
  EXPECT_EQ(0u, s.InstallAll()) << Narrow(s.Log());
  EXPECT_TRUE(Contains(s.Log(), L"\"Fixture Package v1.2.0\"")) << Narrow(s.Log());
  EXPECT_TRUE(Contains(s.Log(), L"Passed over release RE_nightly: tag_name nightly holds no version"))
      << Narrow(s.Log());
  EXPECT_EQ(0xE0000011u, s.Run(L"/justcheck").exitCode) << Narrow(s.Log());
  RemoveFixturePackages();
}

}  // namespace updater::test
