#include "automation/CallbackAdapter.h"

#include <algorithm>

namespace updater {

void CallbackAdapter::RegisterAction(std::int32_t actionId, std::int32_t actionCount) {
  client_->RegisterAction(actionId, actionCount);
}

void CallbackAdapter::BeginAction(std::int32_t actionId, std::uint32_t total, const wchar_t*) {
  total_ = total;
  position_ = 0;
  RegisterAction(actionId, static_cast<std::int32_t>(std::min<std::uint32_t>(total, INT_MAX)));
  client_->BeginAction(actionId);
}

void CallbackAdapter::EndAction(std::int32_t actionId, ResultCode state) {
  client_->EndAction(actionId, static_cast<int>(state));
}

void CallbackAdapter::Progress(std::uint32_t amount) {
  // A resumed download reports what it had as its first step; the client never sees more than
  // the count it was given.
  position_ = std::min(total_, position_ + std::min(amount, total_ - position_));
  client_->SubActionPerform(static_cast<int>(std::min<std::uint32_t>(position_, INT_MAX)));
}

bool CallbackAdapter::IsCanceled() {
  char canceled = 0;
  const HRESULT answer = client_->IsCanceled(&canceled);
  return answer == S_FALSE || (answer == S_OK && canceled != 0);
}

ResultCode CallbackAdapter::Error(const wchar_t*, ResultCode code, void*) {
  client_->Error(static_cast<int>(code));
  return code;
}

}  // namespace updater
