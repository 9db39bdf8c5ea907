#include "base/ResultText.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(ResultTextTest, OwnCodesTakeTheirTextElseTheFirstRegisteredElseHexAndOthersTheSystemText) {
  RegisterResultText(kAppPackageFailed, L"Deployment failed with HRESULT: 0x80073CF3");
  RegisterResultText(kAppPackageFailed, L"a later text");
  const std::pair<ResultCode, const wchar_t*> cases[] = {
      {0xE0000022, L"Error: Corrupt file (wrong MD5 signature). File removed."},
      {kAppPackageFailed, L"Deployment failed with HRESULT: 0x80073CF3"},
      {0xE000001A, L"0xE000001A"},
      {0xE0000039,
       L"The updater cannot be registered as a service from a folder that other users can change."},
      {0xE000003A, L"The release's tag holds no version and its settings give no detection rule."},
  };
  for (const auto& [code, text] : cases) {
    EXPECT_EQ(text, ResultText(code)) << std::hex << code;
  }
  // 12002 is ERROR_INTERNET_TIMEOUT, found only in wininet.dll's own message table.
  EXPECT_NE(std::wstring::npos, ResultText(ERROR_FILE_NOT_FOUND).find(L"not found"));
  EXPECT_NE(std::wstring::npos, ResultText(12002).find(L"timed out"));
  // Just past the program's own range is a Windows code, not the "0x%X" form.
  EXPECT_NE(std::wstring::npos, ResultText(kLastOwnCode + 1).find(L"Unknown error"));
}

}  // namespace
}  // namespace updater
