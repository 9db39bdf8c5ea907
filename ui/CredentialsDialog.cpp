#include "ui/CredentialsDialog.h"

#include "base/ResultText.h"
#include "resources/OptionsIds.h"
#include "resources/StringIds.h"
#include "transfer/SourceUrl.h"
#include "ui/DialogText.h"

namespace updater {
namespace {

// Longer names and passwords than this are no one's; the bound keeps the edits' text small.
constexpr int kCredentialLimit = 256;

struct CredentialsQuestion {
  std::wstring server;
  std::wstring realm;
  EnteredCredentials answer;
};

INT_PTR CALLBACK CredentialsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
  auto* question = reinterpret_cast<CredentialsQuestion*>(GetWindowLongPtrW(window, DWLP_USER));
  if (question == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextW(window, FormatText(LoadResourceString(IDS_CONNECT_TO).c_str(),
                                        question->server.c_str())
                                 .c_str());
      SetDlgItemTextW(window, IDC_CREDENTIALS_TEXT,
                      FormatText(LoadResourceString(IDS_SERVER_REQUIRES_LOGIN).c_str(),
                                 question->server.c_str(), question->realm.c_str())
                          .c_str());
      SetDialogTexts(window, {{IDC_CREDENTIALS_USER_LABEL, IDS_USER_NAME},
                              {IDC_CREDENTIALS_PASSWORD_LABEL, IDS_PASSWORD},
                              {IDC_CREDENTIALS_REMEMBER, IDS_REMEMBER_CREDENTIALS},
                              {IDOK, IDS_OK},
                              {IDCANCEL, IDS_CANCEL}});
      SendDlgItemMessageW(window, IDC_CREDENTIALS_USER, EM_LIMITTEXT, kCredentialLimit, 0);
      SendDlgItemMessageW(window, IDC_CREDENTIALS_PASSWORD, EM_LIMITTEXT, kCredentialLimit, 0);
      // Over a wait window that is not in front, the question must still be seen.
      SetForegroundWindow(window);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        question->answer.user = DialogItemText(window, IDC_CREDENTIALS_USER);
        question->answer.password = DialogItemText(window, IDC_CREDENTIALS_PASSWORD);
        question->answer.remember =
            IsDlgButtonChecked(window, IDC_CREDENTIALS_REMEMBER) == BST_CHECKED;
        EndDialog(window, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        EndDialog(window, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

std::wstring AskingServerName(const std::wstring& serverUrl, const std::wstring& proxyHost) {
  if (!proxyHost.empty()) return proxyHost;
  SourceUrl parts;
  if (ParseSourceUrl(serverUrl, &parts) == kSuccess && !parts.host.empty()) return parts.host;
  return serverUrl;
}

bool ShowCredentialsDialog(HWND parent, const std::wstring& realm, const std::wstring& serverUrl,
                           const std::wstring& proxyHost, EnteredCredentials* entered) {
  CredentialsQuestion question{AskingServerName(serverUrl, proxyHost), realm, {}};
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CREDENTIALS), parent,
                      &CredentialsProc, reinterpret_cast<LPARAM>(&question)) != IDOK) {
    return false;
  }
  *entered = std::move(question.answer);
  return true;
}

}  // namespace updater
