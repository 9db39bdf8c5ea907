#include <gtest/gtest.h>

#include "TestSupport.h"
#include "e2e/UpdaterRun.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"

namespace updater::test {
namespace {

// A temporary copy started by /install, with its hand-over file and the batch file that the copy
// starts at its end.
struct TemporaryCopy {
  TemporaryCopy() : id(UniqueName(L"E2ECopy")), registry(L"Software\\Merrow\\Ruddle\\" + id) {
    updater.WriteConfig(L"ID=" + id + L"\r\n");
    marker = updater.File(L"batch-ran.txt");
    WriteTextFile(updater.File(L"remove.bat"), L"@echo ran> \"" + marker + L"\"\r\n",
                  TextEncoding::Ansi);
    WriteTextFile(updater.File(L"handover.ini"),
                  L"[General]\r\nClientConfigPath=" + updater.ConfigPath() +
                      L"\r\nUninstallFilePath=" + updater.File(L"remove.bat") +
                      L"\r\nRealUpdaterPath=" + updater.ExecutablePath() + L"\r\n",
                  TextEncoding::Utf16);
  }
  bool BatchFileRan() const {
    for (int i = 0; i < 100 && !FileExists(marker); ++i) Sleep(50);
    return FileExists(marker);
  }
  std::wstring id;
  InstalledUpdater updater;
  ScopedRegistryTree registry;
  std::wstring marker;
};

TEST(TemporaryCopyRunTest, CopyStartsItsBatchFileAtTheEnd) {
  TemporaryCopy copy;
  const RunOutcome outcome =
      copy.updater.Run(L"/install silentall \"" + copy.updater.File(L"handover.ini") + L"\"");
  EXPECT_TRUE(outcome.finished);
  EXPECT_EQ(0, outcome.messageBoxes);
  EXPECT_TRUE(copy.BatchFileRan()) << "UninstallFilePath was not started";
}

TEST(TemporaryCopyRunTest, MalformedCredentialsAreRejectedBeforeAnythingRuns) {
  TemporaryCopy copy;
  // "alice:AB" is well-formed hexadecimal, but a single byte cannot be a protected UTF-16 text.
  for (const wchar_t* credentials : {L"user:xyz1", L"user:abc", L"nocolon", L"alice:AB"}) {
    const RunOutcome outcome = copy.updater.Run(
        L"/install checknow \"" + copy.updater.File(L"handover.ini") + L"\" " + credentials);
    EXPECT_EQ(0xE0000006u, outcome.exitCode) << Narrow(credentials);
  }
}

TEST(TemporaryCopyRunTest, ProtectedCredentialsAreAccepted) {
  TemporaryCopy copy;
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  const RunOutcome outcome =
      copy.updater.Run(L"/install silentall \"" + copy.updater.File(L"handover.ini") +
                       L"\" alice:" + ToHexText(cipher));
  EXPECT_TRUE(outcome.finished);
  EXPECT_NE(0xE0000006u, outcome.exitCode);
  EXPECT_TRUE(copy.BatchFileRan()) << "the copy did not run to its end";
}

}  // namespace
}  // namespace updater::test
