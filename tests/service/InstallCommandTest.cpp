#include <gtest/gtest.h>

#include "service/InstallCommand.h"

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

}  // namespace
}  // namespace updater
