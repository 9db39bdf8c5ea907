#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "ui/ProgressMirror.h"

namespace updater {

// What a worker run under the wait window may do to it. Every call is safe from the worker
// thread; the window picks the changes up on its own thread.
class WaitProgress {
 public:
  virtual ~WaitProgress() = default;
  virtual void SetStatus(const std::wstring& text) = 0;
  // A total of 0 puts the bar into marquee mode; any other total makes it determinate from 0.
  virtual void SetTotal(std::uint64_t total) = 0;
  virtual void Advance(std::uint64_t amount) = 0;
  // True once the user pressed Cancel; a worker that checks it may end early.
  virtual bool IsCanceled() const = 0;
  // Runs `question` on the window's thread with the window as the owner of what it shows, and
  // returns its answer; the worker waits meanwhile. False, without asking, once the window is gone.
  virtual bool Ask(const ProgressMirror::Question& question) = 0;
  // Asks yes or no in a message box over the window, titled like it.
  virtual bool AskYesNo(const std::wstring& question);
};

struct WaitOutcome {
  bool canceled = false;  // the window ended with IDCANCEL
  bool finished = false;  // the worker returned before the window closed
  ResultCode result = 0;  // the worker's result when finished, else 0
};

// The modal wait window (dialog template 110): a status text, a progress bar and Cancel. Run()
// starts the worker on a thread of its own and shows the window modally, owned by the active
// window, until the worker returns or the user cancels. After a cancel the worker thread is
// waited for when `waitAfterCancel` allows it, otherwise it is left to the caller's process end:
// /checknow waits without limit, the silent modes and /clean may not.
class WaitDialog : private WaitProgress {
 public:
  using Worker = std::function<ResultCode(WaitProgress&)>;

  explicit WaitDialog(std::wstring title);
  WaitDialog(const WaitDialog&) = delete;
  WaitDialog& operator=(const WaitDialog&) = delete;
  ~WaitDialog() override;

  // Status text and total shown when the window opens.
  void SetInitialStatus(const std::wstring& text) { mirror_.SetStatus(text); }
  void SetInitialTotal(std::uint64_t total) { mirror_.SetTotal(total); }

  // `waitForWorkerMs` bounds the wait for the worker after the window closed on Cancel; INFINITE
  // waits for it, 0 terminates it at once when it still runs.
  WaitOutcome Run(const Worker& worker, DWORD waitForWorkerMs = INFINITE);

  // When the worker returns `code`, the window stays open showing `text`, the bar full and the
  // button reading "OK", until the user closes it; the outcome is then not a cancel.
  void KeepOpenOnResult(ResultCode code, std::wstring text);

  // Cancel stays greyed out: the reduced progress window cannot be cancelled.
  void DisableCancel() { cancelDisabled_ = true; }

  // Brings the window to the front while it is shown; safe from any thread, a no-op otherwise.
  void BringToFront() const;

 private:
  static constexpr UINT kWorkerDoneMessage = WM_APP + 1;
  static constexpr UINT kBringToFrontMessage = WM_APP + 3;

  void SetStatus(const std::wstring& text) override { mirror_.SetStatus(text); }
  void SetTotal(std::uint64_t total) override { mirror_.SetTotal(total); }
  void Advance(std::uint64_t amount) override { mirror_.Advance(amount); }
  bool IsCanceled() const override { return canceled_.load(); }
  bool Ask(const ProgressMirror::Question& question) override;

  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static DWORD WINAPI ThreadMain(void* self);

  std::wstring title_;
  const Worker* worker_ = nullptr;
  std::atomic<HWND> window_{nullptr};
  std::atomic<bool> canceled_{false};
  std::atomic<bool> finished_{false};
  ResultCode result_ = 0;
  bool keepOpen_ = false;
  ResultCode keepOpenCode_ = 0;
  std::wstring keepOpenText_;
  bool showingResult_ = false;
  bool cancelDisabled_ = false;
  ProgressMirror mirror_;
  // Set once the window exists or will not; a question waits for it.
  KernelHandle windowSettled_;
};

}  // namespace updater
