#include "transfer/Utf16Bytes.h"

namespace updater {

void AppendUtf16Bytes(const std::wstring& text, std::vector<unsigned char>* bytes) {
  bytes->reserve(bytes->size() + text.size() * 2);
  for (wchar_t c : text) {
    bytes->push_back(static_cast<unsigned char>(c & 0xFF));
    bytes->push_back(static_cast<unsigned char>((c >> 8) & 0xFF));
  }
}

std::wstring TextOfUtf16Bytes(const unsigned char* data, size_t size) {
  std::wstring text;
  text.reserve(size / 2);
  for (size_t i = 0; i + 1 < size; i += 2) {
    text += static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
  }
  return text;
}

}  // namespace updater
