#include "automation/ClientEvents.h"

#include <algorithm>
#include <climits>

namespace updater {

void ClientEvents::ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring&) {
  total_ = total;
  position_ = 0;
  const int id = static_cast<int>(action);
  client_->RegisterAction(id, static_cast<int>(std::min<std::uint32_t>(total, INT_MAX)));
  client_->BeginAction(id);
}

void ClientEvents::Advanced(std::uint32_t amount) {
  // A resumed download reports what it had as its first step; the client never sees more than
  // the count it was given.
  position_ = std::min(total_, position_ + std::min(amount, total_ - position_));
  client_->SubActionPerform(static_cast<int>(std::min<std::uint32_t>(position_, INT_MAX)));
}

void ClientEvents::ActionEnded(UpdateAction action, ResultCode result) {
  client_->EndAction(static_cast<int>(action), static_cast<int>(result));
}

bool ClientEvents::IsCanceled() {
  if (canceled_) return true;
  char canceled = 0;
  const HRESULT answer = client_->IsCanceled(&canceled);
  return answer == S_FALSE || (answer == S_OK && canceled != 0);
}

bool ClientEvents::ReportError(ResultCode code) {
  const bool cancels = client_->Error(static_cast<int>(code)) == S_FALSE;
  canceled_ = canceled_ || cancels;
  return cancels;
}

bool ClientEvents::AcceptCertificate(ResultCode error, HINTERNET) {
  ReportError(error);
  return false;
}

bool ClientEvents::AskCredentials(const CredentialsQuestion&, CredentialsAnswer*) {
  ReportError(kCredentialsNeeded);
  return false;
}

MismatchAnswer ClientEvents::AnswerMismatch(ResultCode mismatch) {
  return ReportError(mismatch) ? MismatchAnswer::Cancel : MismatchAnswer::Keep;
}

void ClientEvents::Failed(ResultCode code, const std::wstring&) { ReportError(code); }

}  // namespace updater
