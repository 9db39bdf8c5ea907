#pragma once

#include <cstdint>
#include <string>

#include "transfer/UpdateEvents.h"
#include "ui/WaitDialog.h"

namespace updater {

// Lets a check or a download report through the wait window: an action's text becomes the
// status, its total the bar's range, and Cancel in the window cancels the operation. Certificate
// errors are put to the user in the system's certificate dialog and credentials questions in the
// provider's dialog (none: refused), both over the wait window; the driver shows failures after
// the window has closed.
class WaitEvents : public UpdateEvents {
 public:
  explicit WaitEvents(WaitProgress& progress) : progress_(progress) {}

  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring& text) override;
  void Advanced(std::uint32_t amount) override { progress_.Advance(amount); }
  bool IsCanceled() override { return progress_.IsCanceled(); }
  bool AcceptCertificate(ResultCode error, HINTERNET request) override;
  bool ProvideCredentials(CredentialProvider& provider) override;

 private:
  WaitProgress& progress_;
};

}  // namespace updater
