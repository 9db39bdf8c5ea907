#include <gtest/gtest.h>

#include <string>

#include "e2e/UpdaterRun.h"

namespace updater::test {
namespace {

// The support service compares the installed updater's file version with older releases.
TEST(ExecutableTest, CarriesAFileVersionOfAtLeastThree) {
  const std::wstring path = BuiltUpdaterPath();
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  ASSERT_GT(size, 0u);
  std::string data(size, '\0');
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_GE(HIWORD(info->dwFileVersionMS), 3u);
}

}  // namespace
}  // namespace updater::test
