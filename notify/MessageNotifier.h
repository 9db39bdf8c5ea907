#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"
#include "catalogue/IniReader.h"
#include "catalogue/SelectedUpdatesWriter.h"
#include "catalogue/ServerConfig.h"
#include "catalogue/ServerMessage.h"
#include <functional>

namespace updater {

class ClientConfig;

// The message keys of [General]. False, and `message` incomplete, when the title, the body or
// a valid expiry date is missing: such a message is ignored.
bool ReadServerMessage(const IniReader& reader, ServerMessage* message);
// Writes the keys that ReadServerMessage reads, leaving out empty ones.
ResultCode WriteServerMessage(const IniReader& writer, const ServerMessage& message);

// A message is valid through the day of its expiry date (day/month/year, as ReleaseDate);
// false for a date that does not parse.
bool IsMessageExpired(const std::wstring& expirationDate, const SYSTEMTIME& today);

// The message's identity: SHA-256 over the UTF-8 of title, body, expiry date, image URL, link and
// button text joined, as 64 upper-case hexadecimal digits; any edit gives a new key.
std::wstring MessageKey(const ServerMessage& message);

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

  // Always 0: a message that is incomplete is ignored, not a failure of the load.
  ResultCode Read(const IniReader& reader);
  // Shows a message that is read, unexpired and not shown before. The toast blocks until
  // PowerShell ends; the window runs on its own thread until the user closes it.
  void Show();

 private:
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
