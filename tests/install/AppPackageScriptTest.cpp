#include "install/AppPackageScript.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(AppPackageScriptTest, PathIsALiteralThatNoFileNameCanLeave) {
  struct Case {
    const wchar_t* path;
    const wchar_t* script;
  };
  const Case cases[] = {
      {L"C:\\dl\\App\\App.appx",
       L"Add-AppxPackage -LiteralPath 'C:\\dl\\App\\App.appx' \n exit $error.count\n"},
      {L"C:\\dl\\a$(Stop-Computer).appx",
       L"Add-AppxPackage -LiteralPath 'C:\\dl\\a$(Stop-Computer).appx' \n exit $error.count\n"},
      {L"C:\\dl\\$env:TEMP`n[1].appx",
       L"Add-AppxPackage -LiteralPath 'C:\\dl\\$env:TEMP`n[1].appx' \n exit $error.count\n"},
      {L"C:\\dl\\a';Stop-Computer;'.appx",
       L"Add-AppxPackage -LiteralPath 'C:\\dl\\a'';Stop-Computer;''.appx' \n exit $error.count\n"},
      {L"C:\\dl\\a\u2019;Stop-Computer;\u2018.appx",
       L"Add-AppxPackage -LiteralPath 'C:\\dl\\a\u2019\u2019;Stop-Computer;\u2018\u2018.appx' \n"
       L" exit $error.count\n"},
      {L"C:\\dl\\\u201a\u201b\".appx",
       L"Add-AppxPackage -LiteralPath 'C:\\dl\\\u201a\u201a\u201b\u201b\".appx' \n"
       L" exit $error.count\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.script, AppPackageScript(c.path)) << test::Narrow(c.path);
  }
}

}  // namespace
}  // namespace updater
