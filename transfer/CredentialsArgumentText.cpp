#include "transfer/CredentialsArgumentText.h"

#include <vector>

#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"

namespace updater {

ResultCode BuildCredentialsArgument(CredentialProvider& provider, std::wstring* argument) {
  argument->clear();
  Credential credential;
  if (!provider.GetEnteredCredentials(&credential.user, &credential.password)) {
    if (provider.Credentials().empty()) return kSuccess;
    credential = provider.Credentials().front();
  }
  if (credential.user.empty()) return kSuccess;
  std::vector<unsigned char> cipher;
  if (!credential.password.empty()) {
    const ResultCode result = ProtectText(credential.password, &cipher);
    if (result != kSuccess) return result;
  }
  *argument = credential.user + L":" + ToHexText(cipher);
  return kSuccess;
}

}  // namespace updater
