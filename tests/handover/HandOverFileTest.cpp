#include "handover/HandOverFile.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

// Every field in one line, so that one comparison shows which went wrong.
std::string Fields(const HandOverFile& v) {
  const RunSwitches& s = v.switches;
  return test::Narrow(v.clientConfigPath + L"|" + v.serverConfigPath + L"|" + v.uninstallFilePath +
                      L"|" + v.realUpdaterPath + L"|" + v.url + L"|" + v.ipcObjectNameBase + L"|" +
                      s.restartPath + L"|" + s.restartArguments) +
         "|" + std::to_string(s.justDownload) + std::to_string(s.startMinimized) +
         std::to_string(s.startAppFirst) + std::to_string(s.noGui) + std::to_string(s.reducedGui) +
         std::to_string(s.forceMsiBasicUi);
}

TEST(HandOverFileTest, ReadsEveryKeyAndTakesOnlyExactTrueAsTrue) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"handover.ini");
  test::WriteTextFile(path,
                      L"[General]\r\nClientConfigPath=C:\\App\\U.ini\r\nServerConfigPath=C:\\d\r\n"
                      L"UninstallFilePath=C:\\r.bat\r\nRealUpdaterPath=C:\\App\\U.exe\r\n"
                      L"URL=http://h/a.ini\r\nIPCObjNameBase=Upd_1\r\nrestartapp=C:\\App\\A.exe\r\n"
                      L"restartappcmd=-reopen \"two words\"\r\nJustDownloadUpdates=true\r\n"
                      L"StartMinimized=True\r\nstartappfirst=1\r\nNoGUI=true\r\nReducedGUI=yes\r\n"
                      L"ForceMSIBasicUI=true\r\n",
                      test::TextEncoding::Utf16);
  EXPECT_EQ("C:\\App\\U.ini|C:\\d|C:\\r.bat|C:\\App\\U.exe|http://h/a.ini|Upd_1|"
            "C:\\App\\A.exe|-reopen \"two words\"|100101",
            Fields(ReadHandOverFile(path)));
  EXPECT_EQ(Fields(HandOverFile()), Fields(ReadHandOverFile(folder.File(L"absent.ini"))));
}

TEST(HandOverFileTest, WhatIsWrittenReadsBackOutsideTheAnsiCodePageToo) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"handover.ini");
  HandOverFile all;
  all.clientConfigPath = L"C:\\\x65E5\x672C\\U.ini";
  all.serverConfigPath = L"C:\\d.dat";
  all.uninstallFilePath = L"C:\\r.bat";
  all.realUpdaterPath = L"C:\\App\\U.exe";
  all.url = L"http://h/a.ini";
  all.ipcObjectNameBase = L"Upd_1";
  all.switches = {true, true, L"C:\\App\\A.exe", L"-reopen \"two words\"", true, true, true, true};
  HandOverFile none;
  none.realUpdaterPath = L"C:\\App\\U.exe";
  for (const HandOverFile& written : {all, none}) {
    test::WriteTextFile(path, L"[General]\r\nURL=stale\r\n", test::TextEncoding::Ansi);
    ASSERT_EQ(kSuccess, WriteHandOverFile(path, written));
    EXPECT_EQ(Fields(written), Fields(ReadHandOverFile(path)));
  }
}

}  // namespace
}  // namespace updater
