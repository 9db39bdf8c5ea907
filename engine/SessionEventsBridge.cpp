#include "engine/SessionEventsBridge.h"

#include "transfer/CredentialProvider.h"
#include "transfer/RetryPolicy.h"

namespace updater {

bool SessionEventsBridge::AcceptCertificate(ResultCode error, HINTERNET request) {
  if (!IsCertificateError(error) || request == nullptr) return false;
  return target_->AcceptCertificate(error, request);
}

bool SessionEventsBridge::ProvideCredentials(CredentialProvider& provider) {
  CredentialsAnswer answer;
  if (!target_->AskCredentials({provider.Realm(), provider.Server(), provider.ProxyHost()},
                               &answer)) {
    return false;
  }
  provider.EnterAnswer({answer.user, answer.password}, answer.remember);
  return true;
}

}  // namespace updater
