#pragma once

#include <string>
#include <vector>

namespace updater {

// Appends the UTF-16LE bytes of `text` (low byte first, no terminator) to `bytes`.
void AppendUtf16Bytes(const std::wstring& text, std::vector<unsigned char>* bytes);

// The text whose UTF-16LE bytes are `data`; `size` is even.
std::wstring TextOfUtf16Bytes(const unsigned char* data, size_t size);

}  // namespace updater
