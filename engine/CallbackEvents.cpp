#include "engine/CallbackEvents.h"

#include <windows.h>

#include <cstdint>

#include "engine/UpdaterCallback.h"

namespace updater {
namespace {

const wchar_t* NullIfEmpty(const std::wstring& text) { return text.empty() ? nullptr : text.c_str(); }

}  // namespace

void CallbackEvents::ActionBegun(UpdateAction action, std::uint32_t total,
                                 const std::wstring& text) {
  callback_.BeginAction(static_cast<std::int32_t>(action), total, NullIfEmpty(text));
}

void CallbackEvents::Advanced(std::uint32_t amount) { callback_.Progress(amount); }

void CallbackEvents::ActionEnded(UpdateAction action, ResultCode result) {
  callback_.EndAction(static_cast<std::int32_t>(action), result);
}

bool CallbackEvents::IsCanceled() { return callback_.IsCanceled(); }

bool CallbackEvents::IsPaused() { return callback_.IsPaused(); }

bool CallbackEvents::AcceptCertificate(ResultCode error, HINTERNET) {
  return callback_.Error(nullptr, error, nullptr) == kSuccess;
}

bool CallbackEvents::ProvideCredentials(CredentialProvider& provider) {
  return callback_.Error(nullptr, kCredentialsNeeded, &provider) == ERROR_RETRY;
}

MismatchAnswer CallbackEvents::AnswerMismatch(ResultCode mismatch) {
  const ResultCode answer = callback_.Error(nullptr, mismatch, nullptr);
  if (answer == ERROR_RETRY) return MismatchAnswer::DownloadAgain;
  if (answer == kCanceled) return MismatchAnswer::Cancel;
  return MismatchAnswer::Keep;
}

void CallbackEvents::Failed(ResultCode code, const std::wstring& text) {
  callback_.Error(NullIfEmpty(text), code, nullptr);
}

}  // namespace updater
