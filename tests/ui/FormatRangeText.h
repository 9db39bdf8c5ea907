#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "ui/FormatRange.h"

namespace updater::test {

// Ranges as "b6-11 a0-4=target font2-5=0x0000FF", in their order, for table comparisons.
inline std::wstring Describe(const std::vector<FormatRange>& ranges) {
  static const wchar_t* const kNames[] = {L"a", L"b", L"i", L"font", L"sub", L"sup", L"u", L"code"};
  std::wstring text;
  for (const FormatRange& range : ranges) {
    wchar_t item[64];
    std::swprintf(item, 64, L"%ls%ls%d-%d", text.empty() ? L"" : L" ",
                  kNames[static_cast<int>(range.kind)], range.start, range.end);
    text += item;
    if (range.kind == FormatKind::Link) text += L"=" + range.target;
    if (range.kind == FormatKind::Colour) {
      std::swprintf(item, 64, L"=0x%06X", static_cast<unsigned>(range.colour));
      text += item;
    }
  }
  return text;
}

}  // namespace updater::test
