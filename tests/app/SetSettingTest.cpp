#include "app/SetSetting.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

using test::Narrow;

TEST(SetSettingTest, WritesOnlyTheNamedNumberAndReportsTheResult) {
  struct Case {
    const wchar_t *flags, *name, *value;
    ResultCode result;
    const wchar_t* valueName;  // null when nothing may be written
    DWORD written;
  };
  const Case cases[] = {
      {L"", L"retryattempts", L"12x", kSuccess, L"RetryAttempts", 12},
      {L"", L"retryattempts", L"-1", kSuccess, L"RetryAttempts", 0xFFFFFFFF},
      {L"", L"loglevel", L"Info|Trace", kSuccess, L"LogLevel", 10},
      {L"", L"loglevel", L"9", kSuccess, L"LogLevel", 9},
      {L"", L"loglevel", L"0x8000000F", kSuccess, L"LogLevel", 0x8000000F},
      // Storing 0 for a misspelt level would turn the log off.
      {L"", L"loglevel", L"Info|Verbose|Trace", kInvalidCommandLine, nullptr, 0},
      {L"", L"loglevel", L"0x", kInvalidCommandLine, nullptr, 0},
      {L"", L"autoupdatepolicy", L"Disable", kSuccess, L"AutoUpdatePolicy", 0},
      {L"NoDisableAutoCheck", L"autoupdatepolicy", L"Prompt", kSuccess, L"AutoUpdatePolicy", 1},
      {L"NoDisableAutoCheck", L"autoupdatepolicy", L"Disable", kAutoCheckRequired, nullptr, 0},
      {L"", L"autoupdatepolicy", L"Prompt|Never", kInvalidCommandLine, nullptr, 0},
      {L"", L"RetryAttempts", L"5", kInvalidCommandLine, nullptr, 0},
      {L"", L"checkfrequency", L"5", kInvalidCommandLine, nullptr, 0},
  };
  for (const Case& c : cases) {
    test::ScopedClientConfig loaded(L"SetTest", L"Flags=" + std::wstring(c.flags) + L"\r\n");
    const std::string what = Narrow(std::wstring(c.name) + L" " + c.value + L" flags " + c.flags);
    EXPECT_EQ(c.result, SetSetting(loaded.Config(), c.name, c.value, L"")) << what;
    for (const wchar_t* name : {L"RetryAttempts", L"LogLevel", L"AutoUpdatePolicy"}) {
      DWORD value = 0;
      const bool expected = c.valueName != nullptr && std::wstring(name) == c.valueName;
      EXPECT_EQ(expected, loaded.Config().Settings().ReadDword(SettingsKey::Settings, name, &value))
          << what << ": " << Narrow(name);
      if (expected) {
        EXPECT_EQ(c.written, value) << what;
      }
    }
  }
}

}  // namespace
}  // namespace updater
