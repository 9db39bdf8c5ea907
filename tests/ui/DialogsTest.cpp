#include <gtest/gtest.h>

#include <thread>

#include "TestSupport.h"
#include "engine/SessionEventsBridge.h"
#include "resources/OptionsIds.h"
#include "transfer/Downloader.h"
#include "transfer/TransferTestSupport.h"
#include "ui/CredentialsDialog.h"
#include "ui/HyperlinkControl.h"
#include "ui/WaitDialog.h"
#include "ui/WaitEvents.h"

namespace updater {
namespace {

// The visible top-level window with this title, waited for up to five seconds.
HWND AwaitWindow(const wchar_t* title) {
  HWND window = nullptr;
  return test::WaitUntil([&] {
    window = FindWindowW(L"#32770", title);
    return window != nullptr && IsWindowVisible(window);
  }, 5000) ? window : nullptr;
}

// A check's credentials question reaches the user over the wait window, on the window's thread;
// what is typed there, and whether "remember" was ticked, is the answer.
TEST(CredentialsDialogTest, TheWaitWindowAsksAndTheTypedPairIsTheAnswer) {
  struct Case { const wchar_t* user; const wchar_t* password; bool tick; int button;
                bool entered; };
  const Case cases[] = {
      {L"alice", L"wonderland", true, IDOK, true},
      {L"bob", L"", false, IDOK, true},
      {L"dave", L"secret", true, IDCANCEL, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(test::Narrow(c.user));
    const CredentialsQuestion question{L"Updater Test", L"http://127.0.0.1:8080/auth/updates.ini",
                                       L""};
    CredentialsAnswer answer{L"untouched", L"", false};
    wchar_t text[128] = {};
    bool hidden = false, fromWindowThread = false, ownedByWaitWindow = false;
    std::thread person([&] {
      const HWND wait = AwaitWindow(L"Checking for Updates");
      const HWND window = AwaitWindow(L"Connect to 127.0.0.1");
      if (window == nullptr) return;
      GetDlgItemTextW(window, IDC_CREDENTIALS_TEXT, text, 128);
      hidden = (GetWindowLongW(GetDlgItem(window, IDC_CREDENTIALS_PASSWORD), GWL_STYLE) &
                ES_PASSWORD) != 0;
      fromWindowThread = GetWindowThreadProcessId(window, nullptr) ==
                         GetWindowThreadProcessId(wait, nullptr);
      ownedByWaitWindow = GetWindow(window, GW_OWNER) == wait;
      SetDlgItemTextW(window, IDC_CREDENTIALS_USER, c.user);
      SetDlgItemTextW(window, IDC_CREDENTIALS_PASSWORD, c.password);
      if (c.tick) SendDlgItemMessageW(window, IDC_CREDENTIALS_REMEMBER, BM_CLICK, 0, 0);
      if (c.tick && c.entered) test::SaveScreenshot(L"credentials-dialog");
      PostMessageW(window, WM_COMMAND, c.button, 0);
    });
    WaitDialog wait(L"Checking for Updates");
    const WaitOutcome outcome = wait.Run([&](WaitProgress& progress) {
      WaitEvents events(progress, true);
      return events.AskCredentials(question, &answer) ? kSuccess : kCredentialsNeeded;
    });
    person.join();
    EXPECT_EQ(std::wstring(L"The server 127.0.0.1 at Updater Test requires a username and "
                           L"password. "), text);
    EXPECT_TRUE(hidden && fromWindowThread && ownedByWaitWindow)
        << hidden << fromWindowThread << ownedByWaitWindow;
    EXPECT_EQ(c.entered ? kSuccess : kCredentialsNeeded, outcome.result);
    EXPECT_EQ(c.entered ? std::wstring(c.user) + L":" + c.password : L"untouched:",
              answer.user + L":" + answer.password);
    EXPECT_EQ(c.entered && c.tick, answer.remember);
  }
}

// A wait window that is not to ask (a silent check's) refuses without a question to the user.
TEST(CredentialsDialogTest, AWaitWindowThatDoesNotAskRefuses) {
  class Unasked : public WaitProgress {
   public:
    void SetStatus(const std::wstring&) override {}
    void SetTotal(std::uint64_t) override {}
    void Advance(std::uint64_t) override {}
    bool IsCanceled() const override { return false; }
    bool Ask(const ProgressMirror::Question&) override {
      ++asked;
      return true;
    }
    int asked = 0;
  };
  Unasked progress;
  WaitEvents events(progress);
  CredentialsAnswer answer;
  EXPECT_FALSE(events.AskCredentials({L"realm", L"http://127.0.0.1/u.ini", L""}, &answer));
  EXPECT_EQ(0, progress.asked);
}

// A download from the self-signed HTTPS server puts its certificate errors to the user in the
// system's dialog over the wait window; accepted, the download goes through, refused, it fails.
TEST(CertificateQuestionTest, TheSystemDialogOverTheWaitWindowDecides) {
  const std::wstring path =
      test::TestServers::Serve(test::UniqueName(L"certificate") + L".bin", "signed?");
  test::TempFolder folder;
  // Refused first: Wine keeps an accepted certificate for the server for the whole process.
  for (const int button : {IDCANCEL, IDOK}) {
    SCOPED_TRACE(button);
    int questions = 0;
    WaitDialog wait(L"Checking for Updates");
    std::thread person([&] {
      const HWND owner = AwaitWindow(L"Checking for Updates");
      // Answers each question over the wait window until the window is gone.
      test::WaitUntil([&] {
        for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
          if (GetWindow(w, GW_OWNER) != owner || !IsWindowVisible(w)) continue;
          if (++questions == 1 && button == IDOK) test::SaveScreenshot(L"certificate-question");
          PostMessageW(w, WM_COMMAND, button, 0);
          test::WaitUntil([w] { return !IsWindowVisible(w); }, 5000);
          break;
        }
        return !IsWindow(owner);
      }, 10000);
    });
    const WaitOutcome outcome = wait.Run([&](WaitProgress& progress) {
      WaitEvents events(progress);
      SessionEventsBridge bridge(&events);
      return Downloader(&bridge, nullptr)
          .Download(test::TestServers::Https(path), folder.File(L"certificate.bin"));
    });
    person.join();
    EXPECT_EQ(button == IDOK ? kSuccess : static_cast<ResultCode>(ERROR_INTERNET_INVALID_CA),
              outcome.result);
    EXPECT_EQ(button == IDOK ? 2 : 1, questions) << "an unknown authority, then the name";
  }
}

// The leftmost and rightmost column of the control that shows `colour`; -1 where none does.
std::pair<int, int> ColumnsOf(HWND control, COLORREF colour) {
  RECT client;
  GetClientRect(control, &client);
  const HDC dc = GetDC(control);
  std::pair<int, int> columns{-1, -1};
  for (int x = 0; x < client.right; ++x) {
    for (int y = 0; y < client.bottom; ++y) {
      if (GetPixel(dc, x, y) != colour) continue;
      if (columns.first < 0) columns.first = x;
      columns.second = x;
    }
  }
  ReleaseDC(control, dc);
  return columns;
}

LRESULT CALLBACK RecordingParent(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) SetWindowLongPtrW(window, GWLP_USERDATA, wParam);
  return DefWindowProcW(window, message, wParam, lParam);
}

// Only the linked part is drawn in the link colour, takes the hand cursor and sends the click;
// browser colours come from the registry and turn to the visited one after the click.
TEST(HyperlinkControlTest, TheLinkedPartIsColouredAndItsClickReachesTheParent) {
  const std::wstring settings = L"Software\\Microsoft\\Internet Explorer\\Settings";
  test::SetRegistryString(HKEY_CURRENT_USER, settings, L"Anchor Color", L"0,128,0");
  test::SetRegistryString(HKEY_CURRENT_USER, settings, L"Anchor Color Visited", L"128,0,0");
  const WNDCLASSW parentClass = {0, &RecordingParent, 0, 0, GetModuleHandleW(nullptr), nullptr,
                                 nullptr, GetSysColorBrush(COLOR_BTNFACE), nullptr, L"LinkParent"};
  RegisterClassW(&parentClass);
  struct Case { bool browser; COLORREF before, after; };
  for (const Case& c : {Case{false, kOwnLinkColour, kOwnLinkColour},
                        Case{true, RGB(0, 128, 0), RGB(128, 0, 0)}}) {
    SCOPED_TRACE(c.browser);
    const HWND parent = CreateWindowW(L"LinkParent", L"Hyperlink", WS_OVERLAPPEDWINDOW |
                                      WS_VISIBLE, 100, 100, 400, 120, nullptr, nullptr,
                                      GetModuleHandleW(nullptr), nullptr);
    const HWND link = CreateWindowW(L"STATIC", L"Open the <A>Configure Options</A> dialog",
                                    WS_CHILD | WS_VISIBLE, 10, 10, 360, 20, parent, nullptr,
                                    GetModuleHandleW(nullptr), nullptr);
    SendMessageW(link, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), 0);
    ASSERT_TRUE(AttachHyperlink(link, 1072, c.browser));
    UpdateWindow(parent);
    // Wine hands a window's pixels to the X server while its thread handles messages.
    for (MSG message; PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&message);
    const auto [left, right] = ColumnsOf(link, c.before);
    ASSERT_GT(left, 10) << "the link colour is missing, or the plain text before it has it";
    if (!c.browser) test::SaveScreenshot(L"hyperlink-control");
    for (const int x : {2, (left + right) / 2}) {
      POINT point{x, 8};
      ClientToScreen(link, &point);
      SetCursorPos(point.x, point.y);
      const bool onLink = x != 2;
      EXPECT_EQ(onLink, SendMessageW(link, WM_SETCURSOR, reinterpret_cast<WPARAM>(link),
                                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE) << x;
      SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(x, 8));
      EXPECT_EQ(onLink ? MAKEWPARAM(1072, BN_CLICKED) : 0,
                static_cast<WPARAM>(GetWindowLongPtrW(parent, GWLP_USERDATA))) << x;
    }
    UpdateWindow(link);
    EXPECT_GT(ColumnsOf(link, c.after).first, 10) << "not drawn in the visited colour";
    DestroyWindow(parent);
  }
  RegDeleteKeyValueW(HKEY_CURRENT_USER, settings.c_str(), L"Anchor Color");
  RegDeleteKeyValueW(HKEY_CURRENT_USER, settings.c_str(), L"Anchor Color Visited");
}

}  // namespace
}  // namespace updater
