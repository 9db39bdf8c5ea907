#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "app/Cleaner.h"

namespace updater {
namespace {

using test::Narrow;

TEST(CleanerTest, CollectsOnlyWhatExistsAndStaysInsideTheDownloadsFolder) {
  const std::set<std::wstring> existing = {
      L"D:\\dl\\Acme 2.0",          L"D:\\dl\\Acme 2.0\\setup.exe",
      L"D:\\dl\\Patch",             L"D:\\dl\\Patch\\patch.msi.part",
      L"D:\\dl\\ruddle.ini",        L"D:\\dl\\..",
      L"D:\\moved\\old\\setup.exe",
  };
  const auto exists = [&](const std::wstring& path) { return existing.count(path) != 0; };
  const std::vector<DownloadRecord> records = {
      {L"Acme 2.0", L"D:\\dl\\Acme 2.0\\setup.exe"},
      {L"Patch", L"D:\\dl\\Patch\\patch.msi"},
      {L"..", L"D:\\moved\\old\\setup.exe"},
      {L"Gone", L"D:\\dl\\Gone\\gone.exe"},
  };
  const CleanTargets targets = CollectCleanTargets(records, L"D:\\dl\\", L"ruddle.ini", exists);
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\dl\\Acme 2.0\\setup.exe",
                                       L"D:\\dl\\Patch\\patch.msi.part",
                                       L"D:\\moved\\old\\setup.exe", L"D:\\dl\\ruddle.ini"}),
            targets.files);
  EXPECT_EQ((std::vector<std::wstring>{L"D:\\dl\\Acme 2.0", L"D:\\dl\\Patch"}), targets.folders)
      << "a section named \"..\" must not name the parent of the downloads folder";

  const CleanTargets withoutFolder = CollectCleanTargets(records, L"", L"ruddle.ini", exists);
  EXPECT_EQ(3u, withoutFolder.files.size()) << "without a downloads folder there is no local copy";
}

TEST(CleanerTest, UpdateConfigFileNameComesFromTheFirstUrl) {
  struct Case {
    std::vector<std::wstring> urls;
    const wchar_t* name;
  };
  const Case cases[] = {
      {{L"https://example.com/app/ruddle.ini?v=2", L"https://other.com/x.ini"}, L"ruddle.ini"},
      {{L"ftp://example.com/pub/updates.txt"}, L"updates.txt"},
      {{L"https://example.com/"}, L""},
      {{L"not a url"}, L""},
      {{}, L""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.name, UpdateConfigFileName(c.urls))
        << (c.urls.empty() ? std::string("no URL") : Narrow(c.urls.front()));
  }
}

}  // namespace
}  // namespace updater
