#pragma once

#include "engine/SessionEvents.h"
#include "transfer/UpdateEvents.h"

namespace updater {

// The front end's SessionEvents as the downloader and the installers take them. Everything passes
// through as it is but the questions: the front end is asked about certificate errors only, with
// a request to show them for, and gets the credentials question as plain data, whose answer
// becomes the provider's entered credentials, remembered when the user asked for that. Without a
// front end the session runs unwatched.
class SessionEventsBridge : public UpdateEvents {
 public:
  explicit SessionEventsBridge(SessionEvents* events = nullptr) { SetTarget(events); }

  void SetTarget(SessionEvents* events) { target_ = events != nullptr ? events : &unwatched_; }

  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring& text) override {
    target_->ActionBegun(action, total, text);
  }
  void Advanced(std::uint32_t amount) override { target_->Advanced(amount); }
  void ActionEnded(UpdateAction action, ResultCode result) override {
    target_->ActionEnded(action, result);
  }
  bool IsCanceled() override { return target_->IsCanceled(); }
  bool IsPaused() override { return target_->IsPaused(); }
  bool AcceptCertificate(ResultCode error, HINTERNET request) override;
  bool ProvideCredentials(CredentialProvider& provider) override;
  MismatchAnswer AnswerMismatch(ResultCode mismatch) override {
    return target_->AnswerMismatch(mismatch);
  }
  void Failed(ResultCode code, const std::wstring& text) override { target_->Failed(code, text); }

 private:
  SessionEvents unwatched_;
  SessionEvents* target_ = &unwatched_;
};

}  // namespace updater
