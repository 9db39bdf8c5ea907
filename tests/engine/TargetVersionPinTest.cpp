#include "engine/TargetVersionPin.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(TargetVersionPinTest, HoldsBackOnlyVersionsAboveTheTarget) {
  // Update version empty: the section has no Version.
  const struct { const wchar_t* target; const wchar_t* version; bool parses, held; } cases[] = {
      {L"2.5", L"3.0", true, true},        {L"2.5", L"2.5", true, false},
      {L"2.5", L"2.4.9", true, false},     {L"2.5", L"2.5.0.1", true, true},
      {L"2.5", L"", true, false},          {L"10", L"9.99", true, false},
      {L"latest", L"3.0", false, false},   {L"", L"3.0", false, false},
  };
  for (const auto& c : cases) {
    VersionNumber target;
    ASSERT_EQ(c.parses, ParseTargetVersion(c.target, &target)) << test::Narrow(c.target);
    UpdateInfo update;
    if (*c.version) update.version.Parse(c.version);
    EXPECT_EQ(c.held, c.parses && PinHoldsBack(update, target))
        << test::Narrow(c.target) << " " << test::Narrow(c.version);
  }
}

}  // namespace
}  // namespace updater
