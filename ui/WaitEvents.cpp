#include "ui/WaitEvents.h"

#include "base/Logger.h"
#include "base/ResultText.h"
#include "ui/CredentialsDialog.h"

namespace updater {

void WaitEvents::ActionBegun(UpdateAction, std::uint32_t total, const std::wstring& text) {
  if (!text.empty()) progress_.SetStatus(text);
  progress_.SetTotal(total);
}

bool WaitEvents::AcceptCertificate(ResultCode error, HINTERNET request) {
  return progress_.Ask([error, request](HWND owner) {
    // The dialog itself marks the request to ignore the error when the user accepts it.
    const DWORD answer = InternetErrorDlg(
        owner, request, error,
        FLAGS_ERROR_UI_FILTER_FOR_ERRORS | FLAGS_ERROR_UI_FLAGS_CHANGE_OPTIONS |
            FLAGS_ERROR_UI_FLAGS_GENERATE_DATA,
        nullptr);
    if (answer != ERROR_SUCCESS && answer != ERROR_INTERNET_FORCE_RETRY &&
        answer != ERROR_CANCELLED) {
      Log(kLogError, L"The certificate question could not be shown. LastError: " +
                         ResultText(answer));
    }
    return answer == ERROR_SUCCESS || answer == ERROR_INTERNET_FORCE_RETRY;
  });
}

bool WaitEvents::AskCredentials(const CredentialsQuestion& question, CredentialsAnswer* answer) {
  if (!asksCredentials_) return false;
  return progress_.Ask(
      [&question, answer](HWND owner) { return ShowCredentialsDialog(owner, question, answer); });
}

}  // namespace updater
