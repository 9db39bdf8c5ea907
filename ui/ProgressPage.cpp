#include "ui/ProgressPage.h"

#include "base/ResultText.h"
#include "config/ClientConfig.h"
#include "resources/StringIds.h"
#include "engine/UpdateSession.h"
#include "resources/WizardIds.h"
#include "ui/ProgressEvents.h"

namespace updater {
namespace {

unsigned HeaderId(const WizardShared& shared) {
  return shared.justDownload ? IDS_DOWNLOADING_UPDATES : IDS_INSTALLING_UPDATES;
}

}  // namespace

ProgressPage::ProgressPage(WizardShared& shared)
    : WizardPage(shared, WizardPageKind::Progress, LoadResourceString(HeaderId(shared)),
                 TitleFor(shared, HeaderId(shared))) {}

ProgressPage::~ProgressPage() { WaitForWorker(); }

ResultCode ProgressPage::WaitForWorker() {
  if (!worker_) return kSuccess;
  WaitForSingleObject(worker_.Get(), INFINITE);
  DWORD exitCode = 0;
  return GetExitCodeThread(worker_.Get(), &exitCode) ? exitCode : GetLastError();
}

INT_PTR ProgressPage::OnMessage(UINT message, WPARAM, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit();
      return TRUE;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case ProgressMirror::kRefreshMessage:
      mirror_.Refresh(Window(), IDC_PROGRESS_STATUS, IDC_PROGRESS_BAR);
      return TRUE;
    case ProgressMirror::kAskMessage:
      ProgressMirror::AnswerQuestion(Window(), lParam);
      return TRUE;
    case kWorkerDoneMessage:
      OnWorkerDone();
      return TRUE;
    case WM_DESTROY:
      mirror_.Attach(nullptr);
      return FALSE;
    default:
      return FALSE;
  }
}

void ProgressPage::OnInit() {
  ProgressMirror::SetMarquee(GetDlgItem(Window(), IDC_PROGRESS_BAR), true);
  mirror_.Attach(Window());
}

INT_PTR ProgressPage::OnNotify(const NMHDR& header) {
  switch (header.code) {
    case PSN_SETACTIVE:
      Buttons().Show(kButtonBack | kButtonNext | kButtonDisabledFinish | kButtonCancel,
                     kButtonBack | kButtonNext | kButtonFinish | kButtonCancel);
      Buttons().Enable(0, kButtonBack | kButtonNext);
      // A sheet hidden in the notification area still tells what it is doing.
      shared_.tray.SetTip(windowTitle_);
      Start();
      return Answer(Window(), 0);
    case PSN_KILLACTIVE:
      shared_.tray.SetTip(shared_.config.ApplicationName());
      return Answer(Window(), FALSE);
    case PSN_WIZNEXT:
      // Next and Finish wait for the worker, which moves on by itself.
      return Answer(Window(), running_ ? -1 : 0);
    case PSN_WIZFINISH:
      return Answer(Window(), running_ ? TRUE : FALSE);
    case PSN_WIZBACK:
      if (StartedWith(WizardPageKind::Progress)) return Answer(Window(), -1);
      if (running_) {
        canceled_ = true;
        backPending_ = true;
        return Answer(Window(), -1);
      }
      ResetStates();
      return Answer(Window(), 0);
    case PSN_QUERYCANCEL:
      // The sheet may close at once; the wizard waits for the worker, which heeds the mark.
      canceled_ = true;
      return Answer(Window(), FALSE);
    default:
      return FALSE;
  }
}

void ProgressPage::Start() {
  if (running_) return;
  canceled_ = false;
  backPending_ = false;
  SetTotal(0);
  SetStatus(std::wstring());
  running_ = true;
  worker_.Reset(CreateThread(nullptr, 0, &ProgressPage::ThreadMain, this, 0, nullptr));
  if (!worker_) running_ = false;
}

DWORD WINAPI ProgressPage::ThreadMain(void* self) {
  auto* page = static_cast<ProgressPage*>(self);
  const ResultCode result =
      DownloadAndInstallWith(page->shared_.session, *page, page->shared_.justDownload);
  const HWND window = page->mirror_.Window();
  if (window != nullptr) PostMessageW(window, kWorkerDoneMessage, 0, 0);
  return result;
}

void ProgressPage::OnWorkerDone() {
  running_ = false;
  if (!backPending_) {
    MoveTo(WizardPageKind::Summary);
    return;
  }
  backPending_ = false;
  ResetStates();
  PostMessageW(Sheet(), PSM_SETCURSEL, IndexOf(Kind()) - 1, 0);
}

}  // namespace updater

namespace updater {

void ProgressPage::ResetStates() {
  for (UpdateInfo& update : shared_.session.Updates().updates) {
    update.state = 0;
    update.installerSucceeded = false;
  }
}

}  // namespace updater
