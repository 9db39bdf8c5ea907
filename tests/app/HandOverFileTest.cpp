#include "app/HandOverFile.h"

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

TEST(HandOverFileTest, WrittenFileIsUtf16AndReadsBackTheSame) {
  test::TempFolder folder;
  HandOverFile written;
  written.realUpdaterPath = L"C:\\Program Files\\Acme App\\Updater.exe";
  written.clientConfigPath = L"C:\\Program Files\\Acme App\\Updater.ini";
  written.serverConfigPath = L"C:\\Users\\Jo Doe\\Temp\\f0\\Updater.dat";
  written.uninstallFilePath = L"C:\\Users\\Jo Doe\\Temp\\qzu1.bat";
  written.url = L"https://example.com/updates/ruddle.ini";
  written.ipcObjectNameBase = L"Upd_2";
  // A character outside the ANSI code page must survive.
  written.switches.restartPath = L"C:\\Program Files\\Acme App\\\x0416\x0443\x043A.exe";
  written.switches.restartArguments = L"-open \"a file.txt\"";
  written.switches.startMinimized = written.switches.startAppFirst = true;
  written.switches.forceMsiBasicUi = true;
  const std::wstring path = folder.File(L"hand over.ini");
  ASSERT_EQ(kSuccess, WriteHandOverFile(path, written));
  EXPECT_EQ(std::string("\xFF\xFE", 2), test::ReadFileBytes(path).substr(0, 2));
  EXPECT_EQ(Fields(written), Fields(ReadHandOverFile(path)));
}

}  // namespace
}  // namespace updater
