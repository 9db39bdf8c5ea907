#include "engine/InstallOutcome.h"

#include <gtest/gtest.h>

namespace updater {
namespace {

// What the exit code of an installer that ran decides is UpdateInstallerTest's.
TEST(InstallOutcomeTest, InstallerThatCannotStartFailsWithTheLaunchError) {
  EXPECT_EQ(static_cast<ResultCode>(ERROR_BAD_EXE_FORMAT),
            InstallerExitResult(ERROR_BAD_EXE_FORMAT, 1602));
}

}  // namespace
}  // namespace updater
