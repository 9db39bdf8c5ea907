#include "config/PathExpansion.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/FakePathLookup.h"

namespace updater {
namespace {

using test::Narrow;

TEST(PathExpansionTest, ReplacesVariablesAndPropertiesOrFailsWithoutTouchingTheOutput) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"%ProgramData%%EMPTY%\\x", L"C:\\ProgramData\\x"},
      {L"[{P}{LOCAL}]\\bin", L"C:\\{LOCAL}\\bin"},
      {L"[{P}{SOURCE}]", L"C:\\{SOURCE}"},
      {L"%ProgramData%\\[APPDIR]", L"C:\\ProgramData\\D:\\Apps"},
      {L"100% sure", L"100% sure"},
      {L"C:\\[unclosed", L"C:\\[unclosed"},
      {L"%Undefined%\\Downloads", nullptr},
      {L"%%\\Downloads", nullptr},
      {L"[Appdir]\\Downloads", nullptr},
      {L"[{P}{ABSENT}]\\bin", nullptr},
      {L"[{P}{ADVERTISED}]\\bin", nullptr},
      {L"[{Q}{LOCAL}]\\bin", nullptr},
      {L"[{no closing brace]", nullptr},
  };
  for (const auto& [raw, expanded] : cases) {
    std::wstring out = L"untouched";
    EXPECT_EQ(expanded != nullptr ? kSuccess : kUnableToExpandPath,
              ExpandPath(raw, L"D:\\Apps", FakeLookup(), &out))
        << Narrow(raw);
    EXPECT_EQ(expanded != nullptr ? expanded : L"untouched", out) << Narrow(raw);
  }
}

}  // namespace
}  // namespace updater
