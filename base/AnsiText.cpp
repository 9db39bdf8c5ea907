#include "base/AnsiText.h"

#include <windows.h>

namespace updater {

std::string ToAnsiText(const std::wstring& text) {
  const int length = static_cast<int>(text.size());
  const int size = WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, nullptr, 0, nullptr,
                                       nullptr);
  std::string ansi(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) {
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), length, ansi.data(), size, nullptr, nullptr);
  }
  return ansi;
}

}  // namespace updater
