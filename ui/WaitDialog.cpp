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

void SetMarquee(HWND bar, bool on) {
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  SetWindowLongPtrW(bar, GWL_STYLE, on ? (style | PBS_MARQUEE) : (style & ~LONG_PTR{PBS_MARQUEE}));
  SendMessageW(bar, PBM_SETMARQUEE, on ? TRUE : FALSE, kMarqueeIntervalMs);
  if (!on) {
    SendMessageW(bar, PBM_SETRANGE32, 0, kPercentRange);
  }
}

int Percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) {
    return 0;
  }
  return static_cast<int>((done >= total ? total : done) * kPercentRange / total);
}

}  // namespace

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

bool WaitDialog::Ask(const std::function<bool(HWND owner)>& question) {
  WaitForSingleObject(windowSettled_.Get(), INFINITE);
  const HWND window = window_.load();
  // Sent, so that the worker waits for the answer; a window destroyed meanwhile answers 0.
  return window != nullptr &&
         SendMessageW(window, kAskMessage, 0, reinterpret_cast<LPARAM>(&question)) != 0;
}

void WaitDialog::SetStatus(const std::wstring& text) {
  std::lock_guard<std::mutex> guard(lock_);
  status_ = text;
  MarkChanged();
}

void WaitDialog::SetTotal(std::uint64_t total) {
  std::lock_guard<std::mutex> guard(lock_);
  total_ = total;
  done_ = 0;
  MarkChanged();
}

void WaitDialog::Advance(std::uint64_t amount) {
  std::lock_guard<std::mutex> guard(lock_);
  done_ += amount;
  MarkChanged();
}

void WaitDialog::MarkChanged() {
  // Posted, never sent: the worker must not wait for the window's thread while it holds lock_.
  dirty_ = true;
  const HWND window = window_.load();
  if (window != nullptr) {
    PostMessageW(window, kRefreshMessage, 0, 0);
  }
}

void WaitDialog::Refresh(HWND window) {
  std::wstring status;
  std::uint64_t total = 0;
  std::uint64_t done = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!dirty_) {
      return;
    }
    dirty_ = false;
    status = status_;
    total = total_;
    done = done_;
  }
  SetDlgItemTextW(window, IDC_WAIT_STATUS, status.c_str());
  const HWND bar = GetDlgItem(window, IDC_WAIT_PROGRESS);
  const bool marquee = (GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
  if (marquee != (total == 0)) {
    SetMarquee(bar, total == 0);
  }
  if (total != 0) {
    SendMessageW(bar, PBM_SETPOS, Percent(done, total), 0);
  }
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
      const HWND bar = GetDlgItem(window, IDC_WAIT_PROGRESS);
      {
        std::lock_guard<std::mutex> guard(lock_);
        dirty_ = true;
      }
      // The template starts in marquee mode; Refresh switches when a total is known.
      SendMessageW(bar, PBM_SETMARQUEE, TRUE, kMarqueeIntervalMs);
      Refresh(window);
      window_ = window;
      SetEvent(windowSettled_.Get());
      // The worker may have ended before the window existed and found nothing to post to.
      if (finished_.load()) {
        PostMessageW(window, kWorkerDoneMessage, 0, 0);
      }
      return TRUE;
    }
    case kRefreshMessage:
      Refresh(window);
      return TRUE;
    case kAskMessage: {
      const auto& question = *reinterpret_cast<const std::function<bool(HWND)>*>(lParam);
      // A modal window shows itself only once its queue is first empty, which a question asked
      // at once would keep from happening until it is answered.
      ShowWindow(window, SW_SHOW);
      SetWindowLongPtrW(window, DWLP_MSGRESULT, question(window) ? 1 : 0);
      return TRUE;
    }
    case kBringToFrontMessage:
      ShowWindow(window, SW_RESTORE);
      SetForegroundWindow(window);
      return TRUE;
    case kWorkerDoneMessage:
      if (showingResult_) {
        return TRUE;
      }
      Refresh(window);
      if (keepOpen_ && result_ == keepOpenCode_) {
        showingResult_ = true;
        SetDlgItemTextW(window, IDC_WAIT_STATUS, keepOpenText_.c_str());
        const HWND bar = GetDlgItem(window, IDC_WAIT_PROGRESS);
        SetMarquee(bar, false);
        SendMessageW(bar, PBM_SETPOS, kPercentRange, 0);
        SetDlgItemTextW(window, IDCANCEL, LoadResourceString(IDS_OK).c_str());
        return TRUE;
      }
      EndDialog(window, IDOK);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
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
