#pragma once

#include <atomic>

#include "base/UniqueHandle.h"
#include "ui/ProgressMirror.h"
#include "ui/WaitDialog.h"
#include "ui/WizardPage.h"

namespace updater {

// The progress page (template 194): when it becomes active a worker thread downloads the selected
// updates and then installs them through the session, reporting through ProgressEvents; the page
// shows the texts and the bar, and moves on to the summary when the worker has ended.
class ProgressPage : public WizardPage, private WaitProgress {
 public:
  explicit ProgressPage(WizardShared& shared);
  ~ProgressPage() override;

  // The worker's result once it ran; waits for it to end first.
  bool WorkerRan() const { return static_cast<bool>(worker_); }
  ResultCode WaitForWorker();

 private:
  static constexpr UINT kWorkerDoneMessage = WM_APP + 1;

  INT_PTR OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
  INT_PTR OnNotify(const NMHDR& header);
  void OnInit();
  void Start();
  void OnWorkerDone();
  // Going back forgets what the stopped run did.
  void ResetStates();
  static DWORD WINAPI ThreadMain(void* self);

  void SetStatus(const std::wstring& text) override { mirror_.SetStatus(text); }
  void SetTotal(std::uint64_t total) override { mirror_.SetTotal(total); }
  void Advance(std::uint64_t amount) override { mirror_.Advance(amount); }
  bool IsCanceled() const override { return canceled_.load(); }
  bool Ask(const ProgressMirror::Question& question) override { return mirror_.Ask(question); }

  ProgressMirror mirror_;
  KernelHandle worker_;
  std::atomic<bool> running_{false};
  std::atomic<bool> canceled_{false};
  // Back was pressed while the worker ran: the page goes back once it has stopped.
  bool backPending_ = false;
};

}  // namespace updater
