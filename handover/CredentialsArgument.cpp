#include "handover/CredentialsArgument.h"

#include <vector>

#include "transfer/HexText.h"
#include "transfer/ProtectedText.h"

namespace updater {

ResultCode FormatCredentialsArgument(const UserCredentials& credentials, std::wstring* argument) {
  argument->clear();
  if (credentials.userName.empty()) return kSuccess;
  // An empty password travels as no bytes at all: protection refuses empty text.
  std::vector<unsigned char> cipher;
  if (!credentials.password.empty()) {
    const ResultCode result = ProtectText(credentials.password, &cipher);
    if (result != kSuccess) return result;
  }
  *argument = credentials.userName + L":" + ToHexText(cipher);
  return kSuccess;
}

ResultCode ParseCredentialsArgument(const std::wstring& text, UserCredentials* out) {
  const size_t colon = text.find(L':');
  if (colon == std::wstring::npos) return kInvalidCommandLine;
  std::vector<unsigned char> cipher;
  if (ParseHexText(text.substr(colon + 1), &cipher) != kSuccess) return kInvalidCommandLine;
  UserCredentials parsed;
  parsed.userName = text.substr(0, colon);
  if (!cipher.empty() && UnprotectText(cipher, &parsed.password) != kSuccess) {
    return kInvalidCommandLine;
  }
  *out = std::move(parsed);
  return kSuccess;
}

}  // namespace updater
