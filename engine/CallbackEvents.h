#pragma once

#include "transfer/UpdateEvents.h"

namespace updater {

class UpdaterCallback;

// A session's events passed on to a slot-ordered callback. Its Error answers the questions: 0 to
// a certificate error sends the request again; ERROR_RETRY to kCredentialsNeeded means the user
// entered credentials into the provider, which travels as the handle; ERROR_RETRY to a digest
// mismatch downloads the file again and kCanceled cancels. Any other answer declines.
class CallbackEvents : public UpdateEvents {
 public:
  explicit CallbackEvents(UpdaterCallback& callback) : callback_(callback) {}

  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring& text) override;
  void Advanced(std::uint32_t amount) override;
  void ActionEnded(UpdateAction action, ResultCode result) override;
  bool IsCanceled() override;
  bool IsPaused() override;
  bool AcceptCertificate(ResultCode error, HINTERNET request) override;
  bool ProvideCredentials(CredentialProvider& provider) override;
  MismatchAnswer AnswerMismatch(ResultCode mismatch) override;
  void Failed(ResultCode code, const std::wstring& text) override;

 private:
  UpdaterCallback& callback_;
};

}  // namespace updater
