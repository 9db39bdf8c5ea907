#include "service/ServiceControl.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

TEST(ServiceControlTest, TheManagerRunsTheExecutableAsOneWordEvenWithBlanks) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\Apps\\Updater.exe", L"C:\\Apps\\Updater.exe /runservice"},
      {L"C:\\A B\\Updater.exe", L"\"C:\\A B\\Updater.exe\" /runservice"},
  };
  for (const auto& [path, command] : cases) EXPECT_EQ(command, ServiceCommandLine(path)) << path;
}

}  // namespace
}  // namespace updater
