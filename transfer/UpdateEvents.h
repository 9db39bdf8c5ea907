#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "base/MismatchAnswer.h"
#include "base/ResultCode.h"
#include "base/UpdateAction.h"

namespace updater {

class CredentialProvider;

// What a running check, download or installation reports and asks; the engine passes it on to
// the front ends' SessionEvents. Each question has its own method and answer type; the defaults are those of a run that nobody watches: nothing is shown,
// nothing is cancelled, no certificate error is ignored, no credentials are entered and a corrupt
// download stays failed.
class UpdateEvents {
 public:
  virtual ~UpdateEvents() = default;

  virtual void ActionBegun(UpdateAction, std::uint32_t /*total*/, const std::wstring& /*text*/) {}
  // `amount` is added to the progress of the current action.
  virtual void Advanced(std::uint32_t /*amount*/) {}
  virtual void ActionEnded(UpdateAction, ResultCode) {}
  virtual bool IsCanceled() { return false; }
  virtual bool IsPaused() { return false; }

  // `request` failed on the server's certificate with `error`; true sends it again with that
  // error ignored. The request is there for a front end that shows the system's certificate
  // dialog for it; it stays valid until the answer is given.
  virtual bool AcceptCertificate(ResultCode /*error*/, HINTERNET /*request*/) { return false; }
  // A server or proxy wants credentials that `provider` (its realm, server and proxy host set)
  // has no more of; true when the user entered some into it.
  virtual bool ProvideCredentials(CredentialProvider& /*provider*/) { return false; }
  // A downloaded file failed its digest check with `mismatch`; the file is already removed.
  virtual MismatchAnswer AnswerMismatch(ResultCode /*mismatch*/) { return MismatchAnswer::Keep; }
  // A failure worth showing; `text` names what failed (a URL, a file) and may be empty.
  virtual void Failed(ResultCode /*code*/, const std::wstring& /*text*/) {}
};

// The observer of a run that nobody watches.
inline UpdateEvents& Unobserved() {
  static UpdateEvents none;
  return none;
}

}  // namespace updater
