#include "transfer/HexText.h"

#include <windows.h>

namespace updater {
namespace {

int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::wstring ToHexText(const std::vector<unsigned char>& bytes) {
  static const wchar_t kDigits[] = L"0123456789ABCDEF";
  std::wstring text;
  text.reserve(bytes.size() * 2);
  for (unsigned char byte : bytes) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

ResultCode ParseHexText(const std::wstring& text, std::vector<unsigned char>* bytes) {
  if (text.size() % 2 != 0) return ERROR_INVALID_DATA;
  std::vector<unsigned char> parsed;
  parsed.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigitValue(text[i]);
    const int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return ERROR_INVALID_DATA;
    parsed.push_back(static_cast<unsigned char>(high * 16 + low));
  }
  *bytes = std::move(parsed);
  return kSuccess;
}

}  // namespace updater
