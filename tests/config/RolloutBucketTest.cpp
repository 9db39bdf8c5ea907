#include "config/RolloutBucket.h"

#include <gtest/gtest.h>

#include <set>

#include "TestSupport.h"
#include "config/SettingsStore.h"

namespace updater {
namespace {

TEST(RolloutBucketTest, ABucketIsDrawnOnceAndAStoredOneOutOfRangeIsDrawnAgain) {
  const test::ScopedClientConfig client(L"BucketTest");
  const SettingsStore& store = client.Config().Settings();
  std::set<DWORD> drawn;
  // Missing, then above the range at its edge and at the top of a DWORD: each time a new draw.
  for (const DWORD stored : std::initializer_list<DWORD>{0, kRolloutBuckets, 0xFFFFFFFF, kRolloutBuckets, kRolloutBuckets}) {
    if (stored != 0) {
      ASSERT_EQ(kSuccess, store.WriteDword(SettingsKey::Settings, L"RolloutBucket", stored));
    }
    DWORD bucket = stored, kept = 0;
    ASSERT_EQ(kSuccess, ReadOrDrawRolloutBucket(store, &bucket)) << stored;
    EXPECT_LT(bucket, kRolloutBuckets) << stored;
    ASSERT_TRUE(store.ReadDword(SettingsKey::Settings, L"RolloutBucket", &kept));
    EXPECT_EQ(bucket, kept) << "not kept for the next check";
    drawn.insert(bucket);
  }
  EXPECT_GT(drawn.size(), 1u) << "the same bucket five times";
  // In range, the stored bucket stands, the ends included.
  for (const DWORD stored : std::initializer_list<DWORD>{0, 4999, kRolloutBuckets - 1}) {
    ASSERT_EQ(kSuccess, store.WriteDword(SettingsKey::Settings, L"RolloutBucket", stored));
    DWORD bucket = 12345;
    ASSERT_EQ(kSuccess, ReadOrDrawRolloutBucket(store, &bucket));
    EXPECT_EQ(stored, bucket);
  }
}

}  // namespace
}  // namespace updater
