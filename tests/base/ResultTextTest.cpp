#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/ResultText.h"

namespace updater {
namespace {

TEST(ResultTextTest, OwnCodesTakeTheirStringTableText) {
  struct Case {
    ResultCode code;
    const wchar_t* text;
  };
  const Case cases[] = {
      {0xE0000006, L"Invalid command line"},
      {0xE0000015, L"Update installation canceled. "},
      {0xE0000022, L"Error: Corrupt file (wrong MD5 signature). File removed."},
      {0xE0000030, L"Error: Corrupt file (wrong SHA256 signature). File removed."},
      {0xE0000031, L"The notification format is invalid. Some mandatory fields are missing."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.text, ResultText(c.code)) << std::hex << c.code;
  }
}

TEST(ResultTextTest, OwnCodesWithoutTextShowTheCodeInUpperCaseHex) {
  EXPECT_EQ(L"0xE000001A", ResultText(0xE000001A));
  EXPECT_EQ(L"0xE0000033", ResultText(0xE0000033));
}

TEST(ResultTextTest, RegisteredTextKeepsTheFirstRegistration) {
  RegisterResultText(kAppPackageFailed, L"Deployment failed with HRESULT: 0x80073CF3");
  RegisterResultText(kAppPackageFailed, L"a later text");
  EXPECT_EQ(L"Deployment failed with HRESULT: 0x80073CF3", ResultText(kAppPackageFailed));
}

TEST(ResultTextTest, WindowsAndWinInetCodesUseTheSystemMessages) {
  const std::wstring fileNotFound = ResultText(ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(fileNotFound.empty());
  EXPECT_NE(L"0x2", fileNotFound);
  EXPECT_NE(std::wstring::npos, fileNotFound.find(L"not found")) << test::Narrow(fileNotFound);

  // 12002 is ERROR_INTERNET_TIMEOUT, found only in wininet.dll's own message table.
  const std::wstring timeout = ResultText(12002);
  EXPECT_NE(std::wstring::npos, timeout.find(L"timed out")) << test::Narrow(timeout);

  // Just past the program's own range is a Windows code, not the "0x%X" form.
  EXPECT_NE(L"0xE0000034", ResultText(0xE0000034));
  EXPECT_FALSE(ResultText(0xE0000034).empty());
}

}  // namespace
}  // namespace updater
