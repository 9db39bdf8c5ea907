#pragma once

#include <cstdint>
#include <string>

#include "automation/TovanUpdater.h"
#include "engine/SessionEvents.h"

namespace updater {

// A session's events passed on to a client's ITovanUpdaterCallback. Each action is registered
// with its step count just before it begins, and progress goes out as the position within the
// action rather than the session's increments. Failures and questions go to Error with their
// code; every question is declined (certificate, credentials, download again). S_FALSE from
// IsCanceled, or a true answer, cancels; so does S_FALSE from Error, for the rest of the call,
// and a corrupt download it was asked about ends the batch at once. A client that cannot be
// reached cancels nothing.
class ClientEvents : public SessionEvents {
 public:
  explicit ClientEvents(ITovanUpdaterCallback* client) : client_(client) {}

  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring& text) override;
  void Advanced(std::uint32_t amount) override;
  void ActionEnded(UpdateAction action, ResultCode result) override;
  bool IsCanceled() override;
  bool AcceptCertificate(ResultCode error, HINTERNET request) override;
  bool AskCredentials(const CredentialsQuestion& question, CredentialsAnswer* answer) override;
  MismatchAnswer AnswerMismatch(ResultCode mismatch) override;
  void Failed(ResultCode code, const std::wstring& text) override;

 private:
  // Tells the client `code`; true when it answered with a cancel.
  bool ReportError(ResultCode code);

  ITovanUpdaterCallback* client_;
  std::uint32_t total_ = 0;
  std::uint32_t position_ = 0;
  bool canceled_ = false;
};

}  // namespace updater
