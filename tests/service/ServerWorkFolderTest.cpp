#include "service/ServerWorkFolder.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "service/ServerSlots.h"

namespace updater {
namespace {

// Each command leaves nothing in the account's temporary folder, under a name nobody could guess.
TEST(ServerWorkFolderTest, FreshUnguessableFoldersGoWithTheirFiles) {
  const test::TempFolder temp;
  std::wstring first;
  {
    ServerWorkFolder work, other;
    ASSERT_EQ(kSuccess, work.Create(temp.Path() + L"\\"));
    ASSERT_EQ(kSuccess, other.Create(temp.Path() + L"\\"));
    first = work.Path();
    EXPECT_EQ(temp.Path().size() + 1 + 3 + 16, first.size()) << test::Narrow(first);
    EXPECT_NE(first.substr(first.size() - 16), other.Path().substr(other.Path().size() - 16));
    test::WriteTextFile(first + L"\\updates.ini", L";qzu;", test::TextEncoding::Ansi);
  }
  EXPECT_FALSE(test::FileExists(first + L"\\updates.ini"));
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(first.c_str()));
}

TEST(ServerSlotsTest, AFifthServerFindsNoSlotUntilOneEnds) {
  const std::wstring owner = L"SlotTest" + std::to_wstring(GetCurrentProcessId());
  KernelHandle slots[kMaxCommandServers];
  for (KernelHandle& slot : slots) {
    EXPECT_FALSE(AllServerSlotsTaken(owner));
    slot = TakeServerSlot(owner);
    ASSERT_TRUE(static_cast<bool>(slot));
  }
  EXPECT_TRUE(AllServerSlotsTaken(owner));
  EXPECT_FALSE(static_cast<bool>(TakeServerSlot(owner)));
  slots[2].Reset();
  EXPECT_FALSE(AllServerSlotsTaken(owner));
  EXPECT_TRUE(static_cast<bool>(TakeServerSlot(owner)));
}

}  // namespace
}  // namespace updater
