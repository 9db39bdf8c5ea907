#include "app/CredentialsArgument.h"

#include "transfer/HexText.h"

namespace updater {

ResultCode ParseCredentialsArgument(const std::wstring& text, CredentialsArgument* out) {
  const size_t colon = text.find(L':');
  if (colon == std::wstring::npos) return kInvalidCommandLine;
  CredentialsArgument parsed;
  parsed.userName = text.substr(0, colon);
  if (ParseHexText(text.substr(colon + 1), &parsed.encryptedPassword) != kSuccess) {
    return kInvalidCommandLine;
  }
  *out = std::move(parsed);
  return kSuccess;
}

}  // namespace updater
