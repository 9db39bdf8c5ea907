#pragma once

#include <windows.h>

#include "base/UniqueHandle.h"
#include "catalogue/ServerMessage.h"
#include "ui/DescriptionPane.h"

namespace updater {

// The "Messages" window of systems without toast notifications: a topmost tool window owned by
// the desktop that shows one server message as rich text, on a thread of its own so that the
// check goes on meanwhile. It stays until the user closes it; the owner waits for that at its end.
class MessagesWindow {
 public:
  MessagesWindow() = default;
  MessagesWindow(const MessagesWindow&) = delete;
  MessagesWindow& operator=(const MessagesWindow&) = delete;
  ~MessagesWindow() { Wait(); }

  // Starts the window's thread with a copy of `message` and waits until the window is there: 0,
  // or the error of starting the thread or of creating the window.
  ResultCode Start(const ServerMessage& message);
  // Returns when the window has been closed (at once when none was started).
  void Wait();

 private:
  static DWORD WINAPI ThreadMain(void* self);
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  ServerMessage message_;
  DescriptionPane pane_;
  KernelHandle thread_;
  // Set by the thread once the window exists or has failed, with `created_` telling which.
  KernelHandle ready_;
  ResultCode created_ = kSuccess;
};

}  // namespace updater
