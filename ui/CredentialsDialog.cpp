#include "ui/CredentialsDialog.h"

#include "base/ResultText.h"
#include "resources/OptionsIds.h"
#include "resources/StringIds.h"
#include "ui/DialogText.h"

namespace updater {
namespace {

// Longer names and passwords than this are no one's; the bound keeps the edits' text small.
constexpr int kCredentialLimit = 256;

// What the dialog shows and what it was answered.
struct DialogState {
  std::wstring server;
  std::wstring realm;
  CredentialsAnswer answer;
};

INT_PTR CALLBACK CredentialsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(window, DWLP_USER, lParam);
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(window, DWLP_USER));
  if (state == nullptr) return FALSE;
  switch (message) {
    case WM_INITDIALOG:
      SetWindowTextW(window, FormatText(LoadResourceString(IDS_CONNECT_TO).c_str(),
                                        state->server.c_str())
                                 .c_str());
      SetDlgItemTextW(window, IDC_CREDENTIALS_TEXT,
                      FormatText(LoadResourceString(IDS_SERVER_REQUIRES_LOGIN).c_str(),
                                 state->server.c_str(), state->realm.c_str())
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
        state->answer.user = DialogItemText(window, IDC_CREDENTIALS_USER);
        state->answer.password = DialogItemText(window, IDC_CREDENTIALS_PASSWORD);
        state->answer.remember =
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

bool ShowCredentialsDialog(HWND parent, const CredentialsQuestion& asked,
                           CredentialsAnswer* answer) {
  DialogState state{AskingServerName(asked), asked.realm, {}};
  if (DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_CREDENTIALS), parent,
                      &CredentialsProc, reinterpret_cast<LPARAM>(&state)) != IDOK) {
    return false;
  }
  *answer = std::move(state.answer);
  return true;
}

}  // namespace updater
