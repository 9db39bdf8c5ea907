#include "transfer/CredentialProvider.h"

#include <algorithm>

namespace updater {

void CredentialProvider::BeginRequest() { storedIndex_ = 0; }

bool CredentialProvider::GetStoredCredentials(std::wstring* user, std::wstring* password) {
  if (!IsListed(storedIndex_) || !scope_.Covers(server_, proxyHost_)) return false;
  *user = credentials_[storedIndex_].user;
  *password = credentials_[storedIndex_].password;
  return true;
}

bool CredentialProvider::GetEnteredCredentials(std::wstring* user, std::wstring* password) {
  if (!IsListed(enteredIndex_)) return false;
  *user = credentials_[enteredIndex_].user;
  *password = credentials_[enteredIndex_].password;
  return true;
}

void CredentialProvider::CredentialsUsed() {
  if (IsListed(storedIndex_)) ++storedIndex_;
}

void CredentialProvider::SetRealm(const std::wstring& realm) { realm_ = realm; }

void CredentialProvider::SetProxyHost(const std::wstring& proxyHost) { proxyHost_ = proxyHost; }

void CredentialProvider::SetServer(const std::wstring& server) { server_ = server; }

void CredentialProvider::Enter(const Credential& credential) {
  const auto found =
      std::find_if(credentials_.begin(), credentials_.end(),
                   [&](const Credential& listed) { return listed.user == credential.user; });
  if (found == credentials_.end()) {
    credentials_.push_back(credential);
    enteredIndex_ = static_cast<int>(credentials_.size() - 1);
  } else {
    // A listed password that failed would fail again.
    found->password = credential.password;
    enteredIndex_ = static_cast<int>(found - credentials_.begin());
  }
}

void CredentialProvider::EnterAnswer(const Credential& credential, bool remember) {
  Enter(credential);
  if (remember && !credential.user.empty() && !credential.password.empty() && rememberer_) {
    rememberer_(credential.user, credential.password);
  }
}

void CredentialProvider::AddCredentials(const std::vector<Credential>& credentials) {
  credentials_.insert(credentials_.end(), credentials.begin(), credentials.end());
}

}  // namespace updater
