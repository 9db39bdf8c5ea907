#pragma once

#include <functional>
#include <string>

#include "base/ResultCode.h"
#include "catalogue/ServerMessage.h"
#include "engine/ServerMessageKeys.h"

namespace updater {

class ClientConfig;

// Whether this system shows toast notifications: Windows 10 or later, as the system reports its
// version to this process (compatibility settings included).
bool SystemSupportsToasts();

// The publisher's message of one check: read while the update configuration file loads (with
// its link's URL protocol registered and its image downloaded), shown once after the check as a
// toast or, without toasts, in the "Messages" window, and carried into the selected-updates file.
class MessageNotifier {
 public:
  // Starts the "Messages" window with a message on systems without toasts: 0 once it is there.
  using WindowStarter = std::function<ResultCode(const ServerMessage&)>;

  MessageNotifier(const ClientConfig& config, bool toasts, WindowStarter startWindow);
  MessageNotifier(const MessageNotifier&) = delete;
  MessageNotifier& operator=(const MessageNotifier&) = delete;

  ServerMessageReader Reader();
  // Null when no message was read.
  ServerMessageWriter Writer() const;

  // Shows a message that is read, unexpired and not shown before. The toast blocks until
  // PowerShell ends; the window runs on its own thread until the user closes it.
  void Show();

 private:
  // The message a check read; null when the keys made none, which is ignored.
  void Take(const ServerMessage* message);
  // Whether the message of key_ is recorded as shown.
  bool WasShown() const;
  void DownloadImage();
  void ShowToast();

  const ClientConfig& config_;
  const bool toasts_;
  bool read_ = false;
  bool expired_ = false;
  ServerMessage message_;
  std::wstring key_;
  std::wstring imageFile_;
  WindowStarter startWindow_;
};

}  // namespace updater
