#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/HandOverFile.h"

namespace updater {
namespace {

TEST(HandOverFileTest, ReadsEveryKeyAndTakesOnlyExactTrueAsTrue) {
  test::TempFolder folder;
  const std::wstring path = folder.File(L"handover.ini");
  test::WriteTextFile(path,
                      L"[General]\r\n"
                      L"ClientConfigPath=C:\\App\\Updater.ini\r\n"
                      L"ServerConfigPath=C:\\Temp\\x\\updates.dat\r\n"
                      L"UninstallFilePath=C:\\Temp\\x\\remove.bat\r\n"
                      L"RealUpdaterPath=C:\\App\\Updater.exe\r\n"
                      L"URL=http://127.0.0.1/alt.ini\r\n"
                      L"restartapp=C:\\App\\App.exe\r\n"
                      L"restartappcmd=-reopen \"two words\"\r\n"
                      L"IPCObjNameBase=Upd_1234\r\n"
                      L"JustDownloadUpdates=true\r\n"
                      L"StartMinimized=True\r\n"
                      L"startappfirst=1\r\n"
                      L"NoGUI=true\r\n"
                      L"ReducedGUI=yes\r\n"
                      L"ForceMSIBasicUI=true\r\n",
                      test::TextEncoding::Utf16);

  const HandOverFile values = ReadHandOverFile(path);
  EXPECT_EQ(L"C:\\App\\Updater.ini", values.clientConfigPath);
  EXPECT_EQ(L"C:\\Temp\\x\\updates.dat", values.serverConfigPath);
  EXPECT_EQ(L"C:\\Temp\\x\\remove.bat", values.uninstallFilePath);
  EXPECT_EQ(L"C:\\App\\Updater.exe", values.realUpdaterPath);
  EXPECT_EQ(L"http://127.0.0.1/alt.ini", values.url);
  EXPECT_EQ(L"C:\\App\\App.exe", values.switches.restartPath);
  EXPECT_EQ(L"-reopen \"two words\"", values.switches.restartArguments);
  EXPECT_EQ(L"Upd_1234", values.ipcObjectNameBase);
  EXPECT_TRUE(values.switches.justDownload);
  EXPECT_FALSE(values.switches.startMinimized) << "\"True\" is not the exact text \"true\"";
  EXPECT_FALSE(values.switches.startAppFirst);
  EXPECT_TRUE(values.switches.noGui);
  EXPECT_FALSE(values.switches.reducedGui);
  EXPECT_TRUE(values.switches.forceMsiBasicUi);
}

TEST(HandOverFileTest, MissingFileReadsAsEmpty) {
  test::TempFolder folder;
  const HandOverFile values = ReadHandOverFile(folder.File(L"absent.ini"));
  EXPECT_TRUE(values.clientConfigPath.empty());
  EXPECT_TRUE(values.uninstallFilePath.empty());
  EXPECT_FALSE(values.switches.noGui);
}

}  // namespace
}  // namespace updater
