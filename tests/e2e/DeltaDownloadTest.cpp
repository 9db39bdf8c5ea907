#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "e2e/Scenario.h"

namespace updater::test {
namespace {

// The bytes nginx sent of `file` of the scenario.
unsigned long long BodyBytesSent(const Scenario& s, const std::wstring& file) {
  unsigned long long sent = 0;
  for (const std::string& line : s.Requests(file)) {
    const std::size_t body = line.find("body=");
    if (body != std::string::npos) sent += std::strtoull(line.c_str() + body + 5, nullptr, 10);
  }
  return sent;
}

TEST(DeltaDownloadTest, CopiesKeptBlocksFetchesTheRestAndFallsBackToTheWholeFile) {
  const std::string fixture = ReadFileBytes(FixturePath(L"InstallerFixture.exe"));
  const struct {
    const char* what;
    std::size_t payload;
    const wchar_t* faults;  // the installer served by the fault server behind this
    bool brokenMap, changedAfterMap, byMap;
  } cases[] = {
      {"a new build of 30 MB", 30 * 1000 * 1000, L"", false, false, true},
      {"a server that ignores Range", 2 * 1000 * 1000, L"norange/", false, false, false},
      {"a broken map", 2 * 1000 * 1000, L"", true, false, false},
      {"a block changed after the map was made", 2 * 1000 * 1000, L"", false, true, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    // The installer of the version installed, kept from its download; the new build has 64 KiB
    // inserted and 32 KiB changed.
    const std::string old = fixture + PatternBytes(c.payload, 1);
    std::string fresh = old.substr(0, old.size() / 3) + PatternBytes(64 * 1024, 2) + old.substr(old.size() / 3);
    fresh.replace(fresh.size() * 2 / 3, 32 * 1024, PatternBytes(32 * 1024, 3));
    CreateDirectoryW(s.Downloads().c_str(), nullptr);
    CreateDirectoryW((s.Downloads() + L"\\Earlier").c_str(), nullptr);
    WriteBytes(s.Downloads() + L"\\Earlier\\Earlier.exe", old);

    const Update update{L"Delta", L"BlockMap=" + s.Url(L"Delta.exe.blockmap") + L"\r\n", 0, true,
                        static_cast<long>(fresh.size() - fixture.size())};
    const std::wstring section = *c.faults ? s.FaultySection(update, c.faults) : s.Section(update);
    WriteBytes(s.ServedPath(L"Delta.exe"), fresh);
    ASSERT_EQ(0u, RunPublisher(L"blockmap \"" + s.ServedPath(L"Delta.exe") + L"\""));
    if (c.brokenMap) WriteBytes(s.ServedPath(L"Delta.exe.blockmap"), "blockmap 1\nsize 12\n");
    if (c.changedAfterMap) {
      // In the inserted stretch, which is fetched; the section has no SHA256 to tell.
      fresh[old.size() / 3 + 1000] ^= 1;
      WriteBytes(s.ServedPath(L"Delta.exe"), fresh);
    }
    s.Publish(section);

    EXPECT_EQ(0u, s.InstallAll());
    EXPECT_TRUE(FileExists(s.Marker(L"Delta")));
    EXPECT_EQ(fresh, ReadFileBytes(s.InstallerPath(L"Delta")));
    const std::wstring log = s.Log();
    const std::wstring byMap = L"installer put together by its block map: ";
    EXPECT_EQ(c.byMap, Contains(log, byMap)) << Narrow(log);
    EXPECT_EQ(!c.byMap, Contains(log, L"installer downloaded whole, not by its block map: ")) << Narrow(log);
    // Kept for the next build to be copied from, unless it does not describe this one.
    EXPECT_EQ(!c.brokenMap && !c.changedAfterMap,
              FileExists(s.InstallerPath(L"Delta") + L".blockmap"));
    if (c.byMap) {
      const unsigned long long sent = BodyBytesSent(s, L"Delta.exe");
      EXPECT_LE(sent, fresh.size() / 10);
      EXPECT_TRUE(Contains(log, std::to_wstring(sent) + L" bytes downloaded")) << sent;
    }
  }
}

}  // namespace
}  // namespace updater::test
