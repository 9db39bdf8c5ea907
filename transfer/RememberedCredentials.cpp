#include "transfer/RememberedCredentials.h"

#include <windows.h>

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"
#include "transfer/UserDetailsValue.h"

namespace updater {
namespace {

constexpr wchar_t kValueName[] = L"UserDetailsU";

// The remembered list with passwords still protected. A missing value is an empty list.
ResultCode ReadProtectedList(const SettingsStore& settings,
                             std::vector<ProtectedCredential>* list) {
  std::wstring text;
  if (settings.ReadString(SettingsKey::Settings, kValueName, &text)) {
    return ParseUserDetailsValue(text, list);
  }
  // ReadString also fails for a value of another type or a key that cannot be read; only a value
  // that is not there at all counts as an empty list.
  const std::wstring path = SettingsKeyPath(SettingsKey::Settings, settings.Id());
  if (path.empty()) return ERROR_INVALID_PARAMETER;
  const LSTATUS status =
      RegGetValueW(settings.Root(), path.c_str(), kValueName, RRF_RT_ANY, nullptr, nullptr, nullptr);
  if (status != ERROR_FILE_NOT_FOUND) return status == ERROR_SUCCESS ? ERROR_INVALID_DATA : status;
  list->clear();
  return kSuccess;
}

}  // namespace

ResultCode LoadRememberedCredentials(const SettingsStore& settings, std::vector<Credential>* list) {
  std::vector<ProtectedCredential> stored;
  const ResultCode read = ReadProtectedList(settings, &stored);
  if (read != kSuccess) {
    Log(kLogError, L"Remembered credentials unreadable. LastError: " + ResultText(read));
    return read;
  }
  ResultCode result = kSuccess;
  for (const ProtectedCredential& entry : stored) {
    std::vector<unsigned char> cipher;
    Credential credential{entry.user, L""};
    ResultCode unprotected = ParseHexText(entry.protectedPassword, &cipher);
    if (unprotected == kSuccess) unprotected = UnprotectText(cipher, &credential.password);
    if (unprotected != kSuccess) {
      Log(kLogError, L"Remembered password unreadable. LastError: " + ResultText(unprotected));
      result = unprotected;
      continue;
    }
    list->push_back(std::move(credential));
  }
  return result;
}

bool RememberCredentials(const SettingsStore& settings, const std::wstring& user,
                         const std::wstring& password) {
  if (user.empty()) return false;
  std::vector<ProtectedCredential> stored;
  const ResultCode read = ReadProtectedList(settings, &stored);
  if (read != kSuccess) {
    Log(kLogError, L"Remembered credentials unreadable. LastError: " + ResultText(read));
    return false;
  }
  const bool known = std::any_of(stored.begin(), stored.end(),
                                 [&](const ProtectedCredential& entry) { return entry.user == user; });
  if (known) return false;
  std::vector<unsigned char> cipher;
  const ResultCode protectedResult = ProtectText(password, &cipher);
  if (protectedResult != kSuccess) {
    Log(kLogError, L"Unable to protect password. LastError: " + ResultText(protectedResult));
    return false;
  }
  stored.push_back({user, ToHexText(cipher)});
  const ResultCode written =
      settings.WriteString(SettingsKey::Settings, kValueName, FormatUserDetailsValue(stored));
  if (written != kSuccess) {
    Log(kLogError, L"Unable to remember credentials. LastError: " + ResultText(written));
    return false;
  }
  return true;
}

void AttachRememberedCredentials(const SettingsStore& settings, CredentialProvider* provider) {
  std::vector<Credential> remembered;
  LoadRememberedCredentials(settings, &remembered);
  provider->AddCredentials(remembered);
  provider->SetRememberer([settings](const std::wstring& user, const std::wstring& password) {
    return RememberCredentials(settings, user, password);
  });
}

}  // namespace updater
