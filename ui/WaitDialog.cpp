#include "ui/WaitDialog.h"

#include <commctrl.h>

#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "resources/ResourceIds.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

constexpr int kPercentRange = 100;
constexpr UINT kMarqueeIntervalMs = 30;

}  // namespace

bool WaitProgress::AskYesNo(const std::wstring& question) {
  return Ask([&question](HWND owner) {
    wchar_t title[256] = {};
    GetWindowTextW(owner, title, 256);
    return MessageBoxW(owner, question.c_str(), title, MB_YESNO | MB_ICONQUESTION) == IDYES;
  });
}

WaitDialog::WaitDialog(std::wstring title)
    : title_(std::move(title)), windowSettled_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

WaitDialog::~WaitDialog() = default;

void WaitDialog::KeepOpenOnResult(ResultCode code, std::wstring text) {
  keepOpen_ = true;
  keepOpenCode_ = code;
  keepOpenText_ = std::move(text);
}

void WaitDialog::BringToFront() const {
  // Posted, so that a caller on another thread never waits for the window's thread.
  const HWND window = window_.load();
  if (window != nullptr) {
    PostMessageW(window, kBringToFrontMessage, 0, 0);
  }
}

WaitOutcome WaitDialog::Run(const Worker& worker, DWORD waitForWorkerMs) {
  worker_ = &worker;
  canceled_ = false;
  finished_ = false;
  showingResult_ = false;
  ResetEvent(windowSettled_.Get());
  WaitOutcome outcome;
  KernelHandle thread(CreateThread(nullptr, 0, &WaitDialog::ThreadMain, this, 0, nullptr));
  if (!thread) {
    outcome.result = GetLastError();
    return outcome;
  }
  const INT_PTR ended =
      DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_WAIT), GetActiveWindow(),
                      &WaitDialog::DialogProc, reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  mirror_.Attach(nullptr);
  SetEvent(windowSettled_.Get());
  outcome.canceled = ended == IDCANCEL;
  // Without a window (no template, no desktop) the worker still decides the result.
  const DWORD wait = outcome.canceled ? waitForWorkerMs : INFINITE;
  if (WaitForSingleObject(thread.Get(), wait) == WAIT_TIMEOUT) {
    // The caller chose not to wait for a worker that ignores the cancel.
    TerminateThread(thread.Get(), kCanceled);
    WaitForSingleObject(thread.Get(), INFINITE);
  }
  outcome.finished = finished_.load();
  DWORD exitCode = 0;
  outcome.result = GetExitCodeThread(thread.Get(), &exitCode) ? exitCode : GetLastError();
  return outcome;
}

DWORD WINAPI WaitDialog::ThreadMain(void* self) {
  auto* dialog = static_cast<WaitDialog*>(self);
  dialog->result_ = (*dialog->worker_)(*dialog);
  dialog->finished_ = true;
  const HWND window = dialog->window_.load();
  if (window != nullptr) {
    PostMessageW(window, kWorkerDoneMessage, 0, 0);
  }
  return dialog->result_;
}

bool WaitDialog::Ask(const ProgressMirror::Question& question) {
  WaitForSingleObject(windowSettled_.Get(), INFINITE);
  return mirror_.Ask(question);
}

INT_PTR CALLBACK WaitDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
  }
  auto* dialog = reinterpret_cast<WaitDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  return dialog != nullptr ? dialog->OnMessage(window, message, wParam, lParam) : FALSE;
}

INT_PTR WaitDialog::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowTextW(window, title_.c_str());
      SetDlgItemTextW(window, IDCANCEL, LoadResourceString(IDS_CANCEL).c_str());
      // The template starts in marquee mode; Refresh switches when a total is known.
      SendMessageW(GetDlgItem(window, IDC_WAIT_PROGRESS), PBM_SETMARQUEE, TRUE, kMarqueeIntervalMs);
      mirror_.Attach(window);
      mirror_.Refresh(window, IDC_WAIT_STATUS, IDC_WAIT_PROGRESS);
      if (cancelDisabled_) EnableWindow(GetDlgItem(window, IDCANCEL), FALSE);
      window_ = window;
      SetEvent(windowSettled_.Get());
      // The worker may have ended before the window existed and found nothing to post to.
      if (finished_.load()) {
        PostMessageW(window, kWorkerDoneMessage, 0, 0);
      }
      return TRUE;
    }
    case ProgressMirror::kRefreshMessage:
      mirror_.Refresh(window, IDC_WAIT_STATUS, IDC_WAIT_PROGRESS);
      return TRUE;
    case ProgressMirror::kAskMessage:
      // A modal window shows itself only once its queue is first empty, which a question asked
      // at once would keep from happening until it is answered.
      ShowWindow(window, SW_SHOW);
      ProgressMirror::AnswerQuestion(window, lParam);
      return TRUE;
    case kBringToFrontMessage:
      ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
      return TRUE;
    case kWorkerDoneMessage:
      if (showingResult_) {
        return TRUE;
      }
      mirror_.Refresh(window, IDC_WAIT_STATUS, IDC_WAIT_PROGRESS);
      if (keepOpen_ && result_ == keepOpenCode_) {
        showingResult_ = true;
        SetDlgItemTextW(window, IDC_WAIT_STATUS, keepOpenText_.c_str());
        const HWND bar = GetDlgItem(window, IDC_WAIT_PROGRESS);
        ProgressMirror::SetMarquee(bar, false);
        SendMessageW(bar, PBM_SETPOS, kPercentRange, 0);
        SetDlgItemTextW(window, IDCANCEL, LoadResourceString(IDS_OK).c_str());
        return TRUE;
      }
      EndDialog(window, IDOK);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        if (cancelDisabled_ && !showingResult_) return TRUE;
        if (showingResult_) {
          EndDialog(window, IDOK);
        } else {
          canceled_ = true;
          EndDialog(window, IDCANCEL);
        }
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace updater
