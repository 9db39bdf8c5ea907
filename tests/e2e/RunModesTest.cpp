#include <gtest/gtest.h>

#include <thread>

#include "e2e/Scenario.h"
#include "resources/OptionsIds.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"

namespace updater::test {

constexpr DWORD kInvalidCommandLine = 0xE0000006;
constexpr DWORD kInvalidConfig = 0xE0000007;

TEST(RunModesTest, RunsEndWithTheirResultAndOnlyAnInteractiveCheckShowsAnErrorBox) {
  // Keys of Updater.ini besides its ID (none: the scenario's complete one), with AppDir and
  // DownloadsFolder when `folders`; what the run logs; the text of its error box, if any.
  struct Case { const wchar_t* keys; bool folders; const wchar_t* arguments; DWORD exitCode;
                const wchar_t* logged; const wchar_t* box; };
  const wchar_t* const noFile = L"(no Updater.ini)";
  const wchar_t* const urlOnly = L"URL=http://updates.invalid/u.ini\r\n";
  const wchar_t* const nameOnly = L"ApplicationName=Test App\r\n";
  // A temporary copy takes the user's protected credentials; malformed ones end it at once
  // (CredentialsArgumentTest holds the other malformed forms; the removal at the end is checked
  // with the silent installs).
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  const std::wstring protectedCopy = L"/install silentall none.ini alice:" + ToHexText(cipher);
  // The parser's other refusals are CommandLineTest's.
  const Case cases[] = {
      {nullptr, false, L"/bogus", kInvalidCommandLine, L"", nullptr},
      // The link is parsed and then refused, not rejected as a command line.
      {nullptr, false, L"merrow-tovan-updater:/Link C:\\cmd.exe", kInvalidCommandLine,
       L"Refusing to open a link that is not a web address: C:\\cmd.exe", nullptr},
      {noFile, false, L"", 0xE0000002, L"", nullptr},
      {nullptr, false, protectedCopy.c_str(), 0xE0000011, L"", nullptr},  // nothing handed over
      {nullptr, false, L"/install silentall none.ini user:xyz1", kInvalidCommandLine, L"", nullptr},
      // Without a URL the silent check refuses the configuration, which shows it ran as /silentall.
      {L"DefaultCommandLine=/silentall -nofreqcheck\r\n", true, L"", kInvalidConfig,
       L"Running updater. Mode: 2\r\n", nullptr},
      {urlOnly, false, L"/silent", kInvalidConfig, L"", nullptr},
      {urlOnly, false, L"/justcheck", kInvalidConfig, L"", nullptr},
      {nameOnly, false, L"/checknow -minuseractions", kInvalidConfig, L"", nullptr},
      // Even a failed run starts the application. Arguments are expanded like configuration paths:
      // the variable carries the quoted marker path, which a command line cannot quote.
      {L"", false, L"/checknow -minuseractions -restartapp \"C:\\windows\\system32\\cmd.exe\" "
                   L"-restartappcmd \"/c echo restarted> %UPDATER_TEST_MARKER%\"",
       kInvalidConfig, L"", nullptr},
      {nameOnly, false, L"/checknow", kInvalidConfig, L"", L"Invalid client configuration file"},
      {nullptr, false, L"/checknow", 0xE0000018, L"",
       L"Unable to find resource on server. Please check if the URL is correct."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Narrow(c.arguments));
    Scenario s;
    if (c.keys == noFile) DeleteFileW(s.File(L"Updater.ini").c_str());
    if (c.keys && c.keys != noFile) s.Configure(c.keys, c.folders);
    const std::wstring marker = s.File(L"restarted.txt");
    SetEnvironmentVariableW(L"UPDATER_TEST_MARKER", (L"\"" + marker + L"\"").c_str());
    const RunOutcome outcome = s.Run(c.arguments);
    EXPECT_EQ(c.exitCode, outcome.exitCode);
    EXPECT_EQ(c.box ? 1 : 0, outcome.messageBoxes);
    EXPECT_EQ(c.box ? L"Test App" : L"", outcome.boxCaption);
    // What to put right follows the first line (MisconfiguredClientTest).
    EXPECT_EQ(c.box ? L"Checking for Updates - " + std::wstring(c.box) : L"",
              outcome.boxText.substr(0, outcome.boxText.find(L'\n')));
    EXPECT_TRUE(Contains(s.Log(), c.logged)) << Narrow(s.Log());
    const bool restarts = Contains(c.arguments, L"-restartapp");
    EXPECT_EQ(restarts, WaitUntil([&] { return FileExists(marker); }, restarts ? 5000 : 0));
  }
}

TEST(LogFileRunTest, LevelDecidesWhatRunsAppendToOneUtf16LogInTheDownloadsFolder) {
  wchar_t fallback[MAX_PATH] = {};
  ExpandEnvironmentStringsW(L"%ProgramData%\\TOVAN_LOGS\\Updater.LOG", fallback, MAX_PATH);
  const std::wstring lines[] = {L"\xFEFF",  // a second byte-order mark
                                L"<< Tovanix (x86) Log >>", L"\r\nOS Version: ", L"\r\nCPU: ",
                                L"|\t\tRunning updater. Mode: 11\r\n",
                                L"|\t\tUpdater finished. Mode: 11. Return code: 3758096391\r\n",
                                L": [General] has no URL LastError: 0xE0000007\r\n",
                                L"|\t\tUpdater finished. Mode: 19. Return code: 0\r\n",
                                L"LastError: 0x0",
                                L"|\t\tCommand line not understood: an argument is missing after "
                                L"\"retryattempts\"\r\n",
                                L"|\t\tUsage: one of these modes, with the options it takes:\r\n"};
  // How often each line is logged; blocked: a file where the downloads folder's parent should be
  // makes the folder impossible to create, and the log goes to the common application data.
  struct Case { DWORD level; bool blocked; std::vector<size_t> counts; };
  const Case cases[] = {
      {1 | 8, false, {0, 3, 3, 3, 1, 1, 1, 1, 0, 1, 1}},
      {1, false, {0, 2, 2, 2, 0, 0, 1, 0, 0, 1, 1}},
      {0, false, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {1, true, {0, 2, 2, 2, 0, 0, 1, 0, 0, 1, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.level) + (c.blocked ? " blocked" : ""));
    Scenario s;  // without URL, so that /justcheck fails at once
    const std::wstring log = s.File(L"Data\\Downloads\\updater.log");
    s.Configure(L"AppDir=" + s.File(L"") + L"\r\nDownloadsFolder=" + s.File(L"Data\\Downloads"));
    s.Set(L"LogLevel", c.level);
    if (c.blocked) WriteTextFile(s.File(L"Data"), L"in the way", TextEncoding::Ansi);
    const std::wstring where = c.blocked ? fallback : log;  // the file the runs append to
    const size_t before = ReadUtf16File(where).size();
    EXPECT_EQ(kInvalidConfig, s.Run(L"/justcheck").exitCode);
    // A rejected command line is logged with where it went wrong and what it could be.
    EXPECT_EQ(kInvalidCommandLine, s.Run(L"/set retryattempts").exitCode);
    EXPECT_EQ(0u, s.Run(L"/set retryattempts 2").exitCode);
    const std::wstring text = ReadUtf16File(where).substr(before);
    for (size_t i = 0; i < c.counts.size(); ++i) {
      EXPECT_EQ(c.counts[i], CountOf(text, lines[i])) << Narrow(lines[i]);
    }
    EXPECT_EQ(c.level != 0 && !c.blocked ? "\xFF\xFE" : "", ReadFileBytes(log).substr(0, 2));
    EXPECT_EQ(c.level != 0, FileExists(s.File(L"Data"))) << "a folder is made only for a log";
  }
}

// The support service compares the installed updater's file version with older releases.
TEST(ExecutableTest, CarriesAFileVersionOfAtLeastThree) {
  Scenario s;
  std::string data(GetFileVersionInfoSizeW(s.Exe().c_str(), nullptr), '\0');
  VS_FIXEDFILEINFO* info = nullptr;
  UINT length = 0;
  ASSERT_TRUE(GetFileVersionInfoW(s.Exe().c_str(), 0, DWORD(data.size()), data.data()) &&
              VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &length));
  EXPECT_GE(HIWORD(info->dwFileVersionMS), 3u);
}

// What the user chooses in the /configure dialog is what the next silent run goes by: a policy,
// and a new frequency that moves the next check; "Do not check" greys the frequency out, and
// Cancel keeps nothing. A check already scheduled (by a first silent run) is shown. What the
// administrator's policy sets (managed: AutoAll every 4 days) is disabled and not written.
TEST(ConfigureTest, TheOptionsChosenDecideTheNextSilentRun) {
  struct Case { bool scheduled, managed; int choice; int kind; const wchar_t* days; int button;
                bool frequencyEnabled; DWORD stored; DWORD silent; };
  const Case cases[] = {
      {false, false, IDC_OPTIONS_AUTOMATIC, 1, L"7", IDOK, true, 3, kCheckNotDue},  // "Critical"
      {true, false, IDC_OPTIONS_NO_CHECK, 0, L"3", IDOK, false, 0, kCheckDisabledByPolicy},
      {false, false, IDC_OPTIONS_NO_CHECK, 0, L"9", IDCANCEL, false, 99, kUpToDate},
      {false, true, IDC_OPTIONS_NO_CHECK, 0, L"9", IDOK, false, 99, kUpToDate},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.choice << (c.managed ? " managed" : ""));
    Scenario s;
    s.Publish(L"");
    if (c.managed) {
      SetRegistryDword(HKEY_LOCAL_MACHINE, s.PolicyKey(), L"AutoUpdatePolicy", 2);
      SetRegistryDword(HKEY_LOCAL_MACHINE, s.PolicyKey(), L"CheckFrequency", 4);
    }
    if (c.scheduled) {
      EXPECT_EQ(kUpToDate, s.Run(L"/silent").exitCode);
    }
    bool frequencyEnabled = !c.frequencyEnabled;
    wchar_t nextCheck[64] = {};
    std::thread person([&] {
      HWND options = nullptr;
      if (!WaitUntil([&] {
            options = FindWindowW(L"#32770", L"Update Options");
            return options != nullptr && IsWindowVisible(options);
          }, 10000)) {
        return;
      }
      // As the administrator set it, before the test's clicks reach the disabled controls.
      if (c.managed) SaveScreenshot(L"update-options-managed");
      SendDlgItemMessageW(options, c.choice, BM_CLICK, 0, 0);
      SendDlgItemMessageW(options, IDC_OPTIONS_AUTOMATIC_KIND, CB_SETCURSEL, c.kind, 0);
      SetDlgItemTextW(options, IDC_OPTIONS_FREQUENCY, c.days);
      frequencyEnabled = IsWindowEnabled(GetDlgItem(options, IDC_OPTIONS_FREQUENCY)) != FALSE;
      GetDlgItemTextW(options, IDC_OPTIONS_NEXT_CHECK, nextCheck, 64);
      if (c.scheduled) SaveScreenshot(L"update-options");
      PostMessageW(options, WM_COMMAND, c.button, 0);
    });
    const RunOutcome outcome = s.Run(L"/configure", Dialogs::OnlyWatch);
    person.join();
    EXPECT_EQ(0u, outcome.exitCode);
    EXPECT_EQ(c.frequencyEnabled, frequencyEnabled);
    EXPECT_EQ(c.scheduled, std::wstring(nextCheck).rfind(L"Next check: ", 0) == 0)
        << Narrow(nextCheck);
    DWORD policy = 99;
    GetRegistryDword(HKEY_CURRENT_USER, s.Key(L"Settings"), L"AutoUpdatePolicy", &policy);
    EXPECT_EQ(c.stored, policy);
    EXPECT_EQ(c.silent, s.Run(L"/silent").exitCode);
  }
}

}  // namespace updater::test
