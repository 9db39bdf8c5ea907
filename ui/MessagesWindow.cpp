#include "ui/MessagesWindow.h"

#include "base/ResultText.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace updater {

ResultCode MessagesWindow::Start(const ServerMessage& message) {
  Wait();
  message_ = message;
  ready_.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
  if (!ready_) return GetLastError();
  thread_.Reset(CreateThread(nullptr, 0, &MessagesWindow::ThreadMain, this, 0, nullptr));
  if (!thread_) return GetLastError();
  const HANDLE waits[] = {ready_.Get(), thread_.Get()};
  WaitForMultipleObjects(2, waits, FALSE, INFINITE);
  return created_;
}

void MessagesWindow::Wait() {
  if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
  thread_.Reset();
}

DWORD WINAPI MessagesWindow::ThreadMain(void* self) {
  const HWND window =
      CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MESSAGES), nullptr,
                         &MessagesWindow::DialogProc, reinterpret_cast<LPARAM>(self));
  auto* owner = static_cast<MessagesWindow*>(self);
  owner->created_ = window != nullptr ? kSuccess : GetLastError();
  if (owner->created_ == kSuccess) ShowWindow(window, SW_SHOWNORMAL);
  SetEvent(owner->ready_.Get());
  if (window == nullptr) return owner->created_;
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return kSuccess;
}

INT_PTR CALLBACK MessagesWindow::DialogProc(HWND window, UINT message, WPARAM wParam,
                                            LPARAM lParam) {
  auto* self = reinterpret_cast<MessagesWindow*>(GetWindowLongPtrW(window, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      self = reinterpret_cast<MessagesWindow*>(lParam);
      SetWindowLongPtrW(window, DWLP_USER, lParam);
      SetWindowTextW(window, LoadResourceString(IDS_MESSAGES_TITLE).c_str());
      // The pane takes the place and size of the template's placeholder.
      const HWND placeholder = GetDlgItem(window, IDC_MESSAGES_TEXT);
      RECT bounds = {};
      GetWindowRect(placeholder, &bounds);
      MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&bounds), 2);
      DestroyWindow(placeholder);
      if (self->pane_.Create(window, IDC_MESSAGES_TEXT, bounds) == kSuccess) {
        self->pane_.Show(self->message_);
      }
      SetFocus(window);
      return FALSE;
    }
    case WM_ACTIVATE:
      // The dialog manager would hand the focus on to the rich edit on every activation and
      // every focus the window gets, and with it select all its text; the window keeps it.
      if (LOWORD(wParam) != WA_INACTIVE) SetFocus(window);
      return TRUE;
    case WM_SETFOCUS:
      return TRUE;
    case WM_NOTIFY: {
      LRESULT result = 0;
      if (self != nullptr && self->pane_.OnNotify(reinterpret_cast<NMHDR*>(lParam), &result)) {
        SetWindowLongPtrW(window, DWLP_MSGRESULT, result);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      // Enter closes it as Escape does: the window has no other command.
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) DestroyWindow(window);
      return TRUE;
    case WM_CLOSE:
      DestroyWindow(window);
      return TRUE;
    case WM_DESTROY:
      PostQuitMessage(0);
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace updater
