#include "service/ServerWorkFolder.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

// The client names the source: a file that grew after the client's checks is not copied.
TEST(ServerWorkFolderTest, CopiesOnlyAnInstallerOfTheConfiguredSize) {
  const test::TempFolder temp;
  const std::wstring source = temp.File(L"setup.exe");
  test::WriteTextFile(source, L"installer", test::TextEncoding::Ansi);
  ServerWorkFolder work;
  ASSERT_EQ(kSuccess, work.Create(temp.Path() + L"\\"));
  std::wstring copy;
  EXPECT_EQ(kSizeMismatch, work.CopyIn(source, 8, L"grown.exe", &copy));
  EXPECT_FALSE(test::FileExists(work.File(L"grown.exe")));
  ASSERT_EQ(kSuccess, work.CopyIn(source, 9, L"setup.exe", &copy));
  EXPECT_EQ("installer", test::ReadFileBytes(copy));
}

}  // namespace
}  // namespace updater
