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

// What the client makes of the server's answer and of the service it finds.
TEST(InstallCommandTest, SignatureRefusalsSendTheClientToADirectInstallation) {
  const std::pair<ResultCode, bool> cases[] = {
      {kSignerMismatch, true}, {kUntrustedPublisher, true}, {0x800B0100, true},
      {0x80096010, true},      {0, false},                  {kServiceError, false},
      {kMd5Mismatch, false},   {1602, false},               {0x80070005, false},
  };
  for (const auto& [result, refused] : cases) EXPECT_EQ(refused, IsSignatureRefusal(result)) << result;
  EXPECT_TRUE(IsLegacyServiceVersion(VersionNumber(2, 1, 99, 99)));
  EXPECT_TRUE(IsLegacyServiceVersion(VersionNumber()));
  EXPECT_FALSE(IsLegacyServiceVersion(VersionNumber(2, 2, 0, 0)));
  EXPECT_FALSE(IsLegacyServiceVersion(VersionNumber(3, 0, 0, 0)));
}

}  // namespace
}  // namespace updater
