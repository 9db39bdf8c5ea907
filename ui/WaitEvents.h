#pragma once

#include <cstdint>
#include <string>

#include "engine/SessionEvents.h"
#include "ui/WaitDialog.h"

namespace updater {

// Lets a check or a download report through the wait window: an action's text becomes the
// status, its total the bar's range, and Cancel in the window cancels the operation. Certificate
// errors are put to the user in the system's certificate dialog over the wait window, and so are
// credentials questions in the credentials dialog when `asksCredentials` (else they are refused);
// the driver shows failures after the window has closed.
class WaitEvents : public SessionEvents {
 public:
  explicit WaitEvents(WaitProgress& progress, bool asksCredentials = false)
      : progress_(progress), asksCredentials_(asksCredentials) {}

  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring& text) override;
  void Advanced(std::uint32_t amount) override { progress_.Advance(amount); }
  bool IsCanceled() override { return progress_.IsCanceled(); }
  bool AcceptCertificate(ResultCode error, HINTERNET request) override;
  bool AskCredentials(const CredentialsQuestion& question, CredentialsAnswer* answer) override;

 private:
  WaitProgress& progress_;
  bool asksCredentials_;
};

}  // namespace updater
