#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// Bytes as uppercase hexadecimal text, two digits per byte, high nibble first.
std::wstring ToHexText(const std::vector<unsigned char>& bytes);

// The reverse of ToHexText; either case is read. An odd number of digits or a character that is
// not a hexadecimal digit gives ERROR_INVALID_DATA and leaves `bytes` as it was.
ResultCode ParseHexText(const std::wstring& text, std::vector<unsigned char>* bytes);

}  // namespace updater
