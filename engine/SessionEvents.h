#pragma once

#include <windows.h>
#include <wininet.h>

#include <cstdint>
#include <string>

#include "base/MismatchAnswer.h"
#include "base/ResultCode.h"
#include "base/UpdateAction.h"
#include "engine/CredentialsQuestion.h"

namespace updater {

// What an update session reports to the front end that drives it and asks of it: the progress
// of its steps, cancel and pause, and the questions of a transfer. Each question has its own
// method and answer type; the defaults are those of a run that nobody watches: nothing is shown,
// nothing is cancelled, no certificate error is ignored, no credentials are entered and a corrupt
// download stays failed. Called on the thread that runs the session's step.
class SessionEvents {
 public:
  virtual ~SessionEvents() = default;

  virtual void ActionBegun(UpdateAction, std::uint32_t /*total*/, const std::wstring& /*text*/) {}
  // `amount` is added to the progress of the current action.
  virtual void Advanced(std::uint32_t /*amount*/) {}
  virtual void ActionEnded(UpdateAction, ResultCode) {}
  virtual bool IsCanceled() { return false; }
  virtual bool IsPaused() { return false; }

  // `request` failed on the server's certificate with `error` (a certificate error, and never a
  // null request); true sends it again with that error ignored. The request is there for a front
  // end that shows the system's certificate dialog for it; it stays valid until the answer is
  // given.
  virtual bool AcceptCertificate(ResultCode /*error*/, HINTERNET /*request*/) { return false; }
  // True when the user answered `question` with the credentials in `answer`.
  virtual bool AskCredentials(const CredentialsQuestion& /*question*/,
                              CredentialsAnswer* /*answer*/) {
    return false;
  }
  // A downloaded file failed its digest check with `mismatch`; the file is already removed.
  virtual MismatchAnswer AnswerMismatch(ResultCode /*mismatch*/) { return MismatchAnswer::Keep; }
  // A failure worth showing; `text` names what failed (a URL, a file) and may be empty.
  virtual void Failed(ResultCode /*code*/, const std::wstring& /*text*/) {}
};

}  // namespace updater
