#include "ui/ProgressMirror.h"

#include <commctrl.h>

namespace updater {
namespace {

constexpr int kPercentRange = 100;
constexpr UINT kMarqueeIntervalMs = 30;

int Percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  return static_cast<int>((done >= total ? total : done) * kPercentRange / total);
}

}  // namespace

void ProgressMirror::Attach(HWND window) {
  {
    std::lock_guard<std::mutex> guard(lock_);
    dirty_ = true;
  }
  window_ = window;
}

void ProgressMirror::SetStatus(const std::wstring& text) {
  std::lock_guard<std::mutex> guard(lock_);
  status_ = text;
  MarkChanged();
}

void ProgressMirror::SetTotal(std::uint64_t total) {
  std::lock_guard<std::mutex> guard(lock_);
  total_ = total;
  done_ = 0;
  MarkChanged();
}

void ProgressMirror::Advance(std::uint64_t amount) {
  std::lock_guard<std::mutex> guard(lock_);
  done_ += amount;
  MarkChanged();
}

void ProgressMirror::MarkChanged() {
  dirty_ = true;
  const HWND window = window_.load();
  if (window != nullptr) PostMessageW(window, kRefreshMessage, 0, 0);
}

bool ProgressMirror::Ask(const Question& question) const {
  const HWND window = window_.load();
  // Sent, so that the worker waits for the answer; a window destroyed meanwhile answers 0.
  return window != nullptr &&
         SendMessageW(window, kAskMessage, 0, reinterpret_cast<LPARAM>(&question)) != 0;
}

void ProgressMirror::AnswerQuestion(HWND window, LPARAM question) {
  const bool answer = (*reinterpret_cast<const Question*>(question))(GetAncestor(window, GA_ROOT));
  // A dialog procedure hands its answer over in DWLP_MSGRESULT.
  SetWindowLongPtrW(window, DWLP_MSGRESULT, answer ? 1 : 0);
}

void ProgressMirror::SetMarquee(HWND bar, bool on) {
  const LONG_PTR style = GetWindowLongPtrW(bar, GWL_STYLE);
  SetWindowLongPtrW(bar, GWL_STYLE, on ? (style | PBS_MARQUEE) : (style & ~LONG_PTR{PBS_MARQUEE}));
  SendMessageW(bar, PBM_SETMARQUEE, on ? TRUE : FALSE, kMarqueeIntervalMs);
  if (!on) SendMessageW(bar, PBM_SETRANGE32, 0, kPercentRange);
}

void ProgressMirror::Refresh(HWND window, int statusId, int barId) {
  std::wstring status;
  std::uint64_t total = 0;
  std::uint64_t done = 0;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (!dirty_) return;
    dirty_ = false;
    status = status_;
    total = total_;
    done = done_;
  }
  SetDlgItemTextW(window, statusId, status.c_str());
  const HWND bar = GetDlgItem(window, barId);
  const bool marquee = (GetWindowLongPtrW(bar, GWL_STYLE) & PBS_MARQUEE) != 0;
  if (marquee != (total == 0)) SetMarquee(bar, total == 0);
  if (total != 0) SendMessageW(bar, PBM_SETPOS, Percent(done, total), 0);
}

}  // namespace updater
