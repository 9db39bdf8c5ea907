#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace updater {

enum class FormatKind : int {
  Link = 0,
  Bold = 1,
  Italic = 2,
  Colour = 3,
  Subscript = 4,
  Superscript = 5,
  Underline = 6,
  Code = 7,
};

// One closed markup element: the characters start to end of the control's text take its effect.
struct FormatRange {
  std::int32_t start = 0;
  std::int32_t end = 0;
  FormatKind kind = FormatKind::Bold;
  std::wstring target;  // Link only
  COLORREF colour = 0;  // Colour only: the text colour (code takes the system's face colour)
};

}  // namespace updater
