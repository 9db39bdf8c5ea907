#include <gtest/gtest.h>

#include "e2e/Scenario.h"
#include "transfer/FeedKey.h"

namespace updater::test {
namespace {

constexpr DWORD kInvalidConfig = 0xE0000007;

// A publisher's first /checknow with a faulty Updater.ini: the error box, titled after the
// application or the updater, names the file and what to put right; so does the log, which also
// warns of the keys the updater does not read.
TEST(MisconfiguredClientTest, ACheckNamesTheKeyToPutRightAndWarnsOfKeysItDoesNotRead) {
  const wchar_t* const noFile = L"(no Updater.ini)";
  // Keys besides the ID, with AppDir and DownloadsFolder when `folders`; the box's title; what the
  // box and the failure line say after the result's text, following the file's path unless
  // `unreadable`; a line logged besides.
  struct Case { std::wstring keys; bool folders; const wchar_t* title; std::wstring detail;
                bool unreadable; const wchar_t* logged; };
  const std::wstring url = L"http://" + ServerAddress(L"http") + L"/";
  const Case cases[] = {
      {L"FeedPublicKy=AAAA\r\n", true, L"Updater", L": [General] has no URL", false,
       L": [General] unknown key FeedPublicKy\r\n"},
      {L"ApplicationName=Test App\r\nURL=" + url + L"u.ini\r\n", false, L"Test App",
       L": [General] has no AppDir, DownloadsFolder", false, nullptr},
      {L"URL=" + url + L"\r\nFlags=PerMachine|NoSuchFlag\r\n", true, L"Updater",
       L": [General] URL names no file to keep in the downloads folder: " + url, false,
       L": [General] Flags holds an unknown flag: NoSuchFlag\r\n"},
      {noFile, false, L"Updater", L"Cannot read the client configuration file ", true, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.keys));
    Scenario s;
    const std::wstring ini = s.File(L"Updater.ini");
    if (c.keys == noFile) {
      DeleteFileW(ini.c_str());
    } else {
      s.Configure(c.keys, c.folders);
    }
    const std::wstring detail =
        c.unreadable ? c.detail + ini + L": there is no such file" : ini + c.detail;
    const RunOutcome outcome = s.Run(L"/checknow");
    EXPECT_EQ(kInvalidConfig, outcome.exitCode);
    EXPECT_EQ(1, outcome.messageBoxes);
    EXPECT_EQ(c.title, outcome.boxCaption);
    EXPECT_EQ(L"Checking for Updates - Invalid client configuration file\n\n" + detail,
              outcome.boxText);
    if (!c.folders) continue;  // no downloads folder, no log there
    const std::wstring log = s.Log();
    EXPECT_TRUE(Contains(log, L"Invalid client configuration file: " + detail +
                                  L" LastError: 0xE0000007\r\n")) << Narrow(log);
    EXPECT_TRUE(Contains(log, L"|\t\tWarning: " + ini + c.logged)) << Narrow(log);
  }
}

// `UpdaterPublisher validate-client` before shipping: a misspelt key, a key that is no P-256
// point and a missing file fail with a line naming each; a sound file passes.
TEST(MisconfiguredClientTest, ThePublisherToolFindsWhatTheUpdaterWouldNotTakeAsMeant) {
  std::wstring privateKey, publicKey;
  ASSERT_EQ(kSuccess, GenerateFeedKey(&privateKey, &publicKey));
  std::wstring mistyped = publicKey;
  mistyped[20] = mistyped[20] == L'A' ? L'B' : L'A';
  const std::wstring sound = L"[General]\r\nID=App\r\nURL=http://a/u.ini\r\nAppDir=%ProgramData%\\A"
                             L"\r\nDownloadsFolder=[APPDIR]\\D\r\nFlags=PerMachine|UTF8\r\n";
  struct Case { std::wstring text; DWORD exitCode; const char* printed; };
  const Case cases[] = {
      {sound + L"FeedPublicKey=" + publicKey + L"\r\n", 0, "No problems found in "},
      {sound + L"FeedPublicKy=" + publicKey + L"\r\n", 1, "[General] unknown key FeedPublicKy\n"},
      {sound + L"FeedPublicKey=" + mistyped + L"\r\n", 1,
       "[General] FeedPublicKey is not a P-256 public key\n"},
      {L"", 1, "Cannot read "},
  };
  const TempFolder folder;
  const std::wstring file = folder.File(L"Updater.ini");
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.text));
    DeleteFileW(file.c_str());
    if (!c.text.empty()) WriteTextFile(file, c.text, TextEncoding::Utf16);
    std::string printed;
    EXPECT_EQ(c.exitCode, RunPublisher(L"validate-client \"" + file + L"\"", &printed));
    EXPECT_EQ(0u, printed.find(c.printed)) << printed;
    EXPECT_EQ(c.exitCode == 0, printed.find("No problems") != std::string::npos) << printed;
  }
  std::string usage;
  EXPECT_EQ(2u, RunPublisher(L"validate-client", &usage));
  EXPECT_NE(std::string::npos, usage.find("UpdaterPublisher validate-client CLIENTFILE")) << usage;
}

}  // namespace
}  // namespace updater::test
