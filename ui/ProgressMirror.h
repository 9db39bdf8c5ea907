#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

namespace updater {

// Progress written by a worker thread and shown by a window on its own thread: the worker's
// changes are kept under a lock and announced by a posted message, never sent, so that the
// worker never waits for the window; the window copies them into its controls on that message.
// Questions are sent, since the worker needs the answer.
class ProgressMirror {
 public:
  static constexpr UINT kRefreshMessage = WM_APP + 2;
  static constexpr UINT kAskMessage = WM_APP + 4;

  // The window that shows the progress, or nullptr once it is gone.
  void Attach(HWND window);
  HWND Window() const { return window_.load(); }

  void SetStatus(const std::wstring& text);
  // A total of 0 puts the bar into marquee mode; any other total makes it determinate from 0.
  void SetTotal(std::uint64_t total);
  void Advance(std::uint64_t amount);
  // Asked on the window's thread; `owner` is the top-level window to show anything over.
  using Question = std::function<bool(HWND owner)>;

  // Sends the question to the window, which runs it with AnswerQuestion; false without one.
  bool Ask(const Question& question) const;

  // On the window's thread: shows the changes in the status text and the bar.
  void Refresh(HWND window, int statusId, int barId);
  // On the window's thread, for kAskMessage: runs the question and hands its answer back.
  static void AnswerQuestion(HWND window, LPARAM question);
  // Sets the bar to marquee, or to a determinate range of 0 to 100.
  static void SetMarquee(HWND bar, bool on);

 private:
  void MarkChanged();  // called with lock_ held

  std::atomic<HWND> window_{nullptr};
  std::mutex lock_;  // guards the fields below
  std::wstring status_;
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
  bool dirty_ = true;
};

}  // namespace updater
