#include "base/AnsiText.h"

#include <windows.h>

namespace updater {
namespace {

// The flags and the used-default-char check are not allowed for UTF-8, which loses nothing but
// unpaired surrogates; WC_ERR_INVALID_CHARS refuses those.
int ConvertToAnsi(const std::wstring& text, char* buffer, int size, bool exact, BOOL* usedDefault) {
  const bool utf8 = GetACP() == CP_UTF8;
  DWORD flags = 0;
  if (exact) flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
  return WideCharToMultiByte(CP_ACP, flags, text.c_str(), static_cast<int>(text.size()), buffer,
                             size, nullptr, exact && !utf8 ? usedDefault : nullptr);
}

}  // namespace

std::string ToAnsiText(const std::wstring& text) {
  const int size = ConvertToAnsi(text, nullptr, 0, false, nullptr);
  std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) ConvertToAnsi(text, ansi.data(), size, false, nullptr);
  return ansi;
}

bool ToExactAnsiText(const std::wstring& text, std::string* ansi) {
  ansi->clear();
  if (text.empty()) return true;
  BOOL usedDefault = FALSE;
  const int size = ConvertToAnsi(text, nullptr, 0, true, &usedDefault);
  if (size <= 0 || usedDefault) return false;
  ansi->resize(static_cast<std::size_t>(size));
  return ConvertToAnsi(text, ansi->data(), size, true, &usedDefault) == size && !usedDefault;
}

std::string ToUtf8Text(const std::wstring& text) {
  if (text.empty()) return {};
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), length, bytes.data(), size, nullptr, nullptr);
  return bytes;
}

std::wstring FromUtf8Text(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes.data(), length, text.data(), size);
  return text;
}

bool EqualsIgnoringCase(const std::wstring& a, const wchar_t* b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b, -1, TRUE) == CSTR_EQUAL;
}

}  // namespace updater
