#include <gtest/gtest.h>

#include "service/InstallCommand.h"
#include "service/ServiceInstallerRunner.h"

namespace updater {
namespace {

TEST(InstallCommandTest, TheClientPicksOnlyAmongTheConfigurationsOwnUrls) {
  const std::vector<std::wstring> own = {L"http://a/u.ini", L"http://b/u.ini"};
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"http://b/u.ini", L"http://b/u.ini"},
      {L"http://a/u.ini", L"http://a/u.ini"},
      {L"http://evil/u.ini", L"http://a/u.ini"},
      {L"HTTP://B/U.INI", L"http://a/u.ini"},
      {L"", L"http://a/u.ini"},
  };
  for (const auto& [requested, chosen] : cases) {
    EXPECT_EQ(chosen, ChooseConfigurationUrl(own, requested)) << requested;
  }
  EXPECT_EQ(L"", ChooseConfigurationUrl({}, L"http://a/u.ini"));
}

TEST(InstallCommandTest, TheServerInstallsOnlyANeededAdvertisedPackageOrProgramThatIsNoDowngrade) {
  struct Case { const char* what; std::uint32_t flags; bool evaluated, skipped; const wchar_t* file;
                const VersionNumber* installed; bool refused; };
  const VersionNumber older(1, 0, 0, 0), same(2, 0, 0, 0), newer(2, 0, 0, 1);
  const Case cases[] = {
      {"needed", kUpdateAdvertises, true, false, L"C:\\w\\S\\setup.exe", nullptr, false},
      {"a package over an older version", kUpdateAdvertises, true, false, L"C:\\w\\S\\a.MSI", &older, false},
      {"a patch over the same version", kUpdateAdvertises, true, false, L"C:\\w\\S\\a.msp", &same, false},
      {"not advertised", kUpdateCritical, true, false, L"C:\\w\\S\\setup.exe", nullptr, true},
      {"not needed", kUpdateAdvertises, false, false, L"C:\\w\\S\\setup.exe", nullptr, true},
      {"replaced by an installed one", kUpdateAdvertises, true, true, L"C:\\w\\S\\setup.exe", nullptr, true},
      {"a downgrade", kUpdateAdvertises, true, false, L"C:\\w\\S\\setup.exe", &newer, true},
      {"a script", kUpdateAdvertises, true, false, L"C:\\w\\S\\setup.bat", nullptr, true},
      {"no extension", kUpdateAdvertises, true, false, L"C:\\w\\S.exe\\setup", nullptr, true},
  };
  for (const Case& c : cases) {
    UpdateInfo update;
    update.flags = c.flags;
    update.evaluated = c.evaluated;
    update.skipped = c.skipped;
    update.localFilePath = c.file;
    update.version = same;
    EXPECT_EQ(c.refused, ServerInstallRefusal(update, c.installed) != nullptr) << c.what;
  }
}

// The answer tells the client how the installation went, never what the server found on disk.
TEST(InstallCommandTest, TheClientHearsOnlyTheUpdatersOwnCodes) {
  const std::pair<ResultCode, ResultCode> cases[] = {
      {0, 0},
      {kSha256Mismatch, kSha256Mismatch},
      {kSignerMismatch, kSignerMismatch},
      {1602, 1602},
      {1223, 1223},
      {0x800B0100, kSignerMismatch},
      {0x80096010, kSignerMismatch},
      {ERROR_FILE_NOT_FOUND, kServiceError},
      {ERROR_ACCESS_DENIED, kServiceError},
      {0x80070005, kServiceError},
      {12029, kServiceError},
  };
  for (const auto& [server, client] : cases) EXPECT_EQ(client, ClientAnswer(server)) << server;
}

// What the client makes of the server's answer and of the service it finds.
TEST(InstallCommandTest, RefusalsSendTheClientToADirectInstallation) {
  const std::pair<ResultCode, bool> cases[] = {
      {kSignerMismatch, true}, {kUntrustedPublisher, true}, {0x800B0100, true},
      {0x80096010, true},      {kServiceError, true},       {0, false},
      {kMd5Mismatch, false},   {1602, false},               {0x80070005, false},
  };
  for (const auto& [result, refused] : cases) EXPECT_EQ(refused, IsServerRefusal(result)) << result;
  EXPECT_TRUE(IsLegacyServiceVersion(VersionNumber(2, 1, 99, 99)));
  EXPECT_TRUE(IsLegacyServiceVersion(VersionNumber()));
  EXPECT_FALSE(IsLegacyServiceVersion(VersionNumber(2, 2, 0, 0)));
  EXPECT_FALSE(IsLegacyServiceVersion(VersionNumber(3, 0, 0, 0)));
}

}  // namespace
}  // namespace updater
