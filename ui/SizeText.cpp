#include "ui/SizeText.h"

#include <windows.h>
#include <shlwapi.h>

namespace updater {

std::wstring SizeText(std::uint64_t bytes) {
  wchar_t text[32] = {};
  StrFormatByteSizeW(static_cast<LONGLONG>(bytes), text, 32);
  return text;
}

}  // namespace updater
