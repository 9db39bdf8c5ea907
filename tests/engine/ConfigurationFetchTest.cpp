#include "engine/ConfigurationFetch.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

// A release's asset that cannot be fetched leaves the release as it is: nothing for the user.
TEST(ConfigurationFetchTest, AReleaseAssetThatCannotBeFetchedIsNoFailureToShow) {
  const test::ScopedClientConfig client(L"ReleaseAsset");
  const test::TempFolder folder;
  test::RecordingEvents events;
  const std::wstring missing = L"http://" + test::ServerAddress(L"http") + L"/updates/none.json";
  EXPECT_EQ(kResourceNotFound, FetchReleaseAsset(client.Config(), missing, 200,
                                                 folder.File(L"settings.json"), &events, nullptr));
  EXPECT_TRUE(events.failures.empty());
}

}  // namespace
}  // namespace updater
