#pragma once

#include <functional>
#include <string>
#include <vector>

#include "transfer/Credential.h"
#include "transfer/CredentialScope.h"

namespace updater {

// Answers the downloader's questions for user names and passwords. One per transfer object:
// remembered credentials first, then those entered in this run, each offered in turn per request,
// but only to the servers of its scope; any other server's challenge goes to the user.
class CredentialProvider {
 public:
  // Stores a pair for later runs; returns false when nothing was stored.
  using Rememberer = std::function<bool(const std::wstring& user, const std::wstring& password)>;

  CredentialProvider() = default;
  virtual ~CredentialProvider() = default;

  virtual void BeginRequest();
  // False for a server or proxy outside the scope; the server and proxy host are set first.
  virtual bool GetStoredCredentials(std::wstring* user, std::wstring* password);
  virtual bool GetEnteredCredentials(std::wstring* user, std::wstring* password);
  virtual void CredentialsUsed();
  virtual void SetRealm(const std::wstring& realm);
  virtual void SetProxyHost(const std::wstring& proxyHost);
  virtual void SetServer(const std::wstring& server);

  void SetRememberer(Rememberer rememberer) { rememberer_ = std::move(rememberer); }
  void SetScope(CredentialScope scope) { scope_ = std::move(scope); }
  // Makes the pair the entered credentials, replacing the password of a listed user of that name:
  // what the user typed, or what a temporary copy was handed.
  void Enter(const Credential& credential);
  // What the user answered to the question of the realm, server and proxy host set: entered as
  // above, and stored for later runs when `remember` is set and neither part is empty.
  void EnterAnswer(const Credential& credential, bool remember);
  // Appends remembered (or otherwise known) credentials behind those already listed.
  void AddCredentials(const std::vector<Credential>& credentials);

  const std::vector<Credential>& Credentials() const { return credentials_; }
  const std::wstring& Realm() const { return realm_; }
  const std::wstring& ProxyHost() const { return proxyHost_; }
  const std::wstring& Server() const { return server_; }

 private:
  bool IsListed(int index) const {
    return index >= 0 && static_cast<size_t>(index) < credentials_.size();
  }

  std::vector<Credential> credentials_;
  int storedIndex_ = 0;
  int enteredIndex_ = -1;
  std::wstring realm_;
  std::wstring proxyHost_;
  std::wstring server_;
  CredentialScope scope_;
  Rememberer rememberer_;
};

}  // namespace updater
