#include "app/CredentialsArgument.h"

namespace updater {
namespace {

int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

ResultCode ParseCredentialsArgument(const std::wstring& text, CredentialsArgument* out) {
  const size_t colon = text.find(L':');
  if (colon == std::wstring::npos) return kInvalidCommandLine;
  const std::wstring hex = text.substr(colon + 1);
  if (hex.size() % 2 != 0) return kInvalidCommandLine;

  CredentialsArgument parsed;
  parsed.userName = text.substr(0, colon);
  parsed.encryptedPassword.reserve(hex.size() / 2);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const int high = HexDigitValue(hex[i]);
    const int low = HexDigitValue(hex[i + 1]);
    if (high < 0 || low < 0) return kInvalidCommandLine;
    parsed.encryptedPassword.push_back(static_cast<unsigned char>(high * 16 + low));
  }
  *out = std::move(parsed);
  return kSuccess;
}

}  // namespace updater
