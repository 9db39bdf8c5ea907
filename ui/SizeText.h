#pragma once

#include <cstdint>
#include <string>

namespace updater {

// A byte count as the shell words it: three significant digits, cut rather than rounded, in the
// unit that keeps the whole part under 1000 ("1023 bytes", "1.99 KB", "0.97 MB", "100 GB").
struct SizeFigure {
  std::wstring number;  // with `decimalSeparator` between the whole part and the decimals
  unsigned unitId;      // the string-table text that places the number ("%s KB")
};
SizeFigure ChooseSizeFigure(std::uint64_t bytes, const std::wstring& decimalSeparator);

// The same in the user's language, with the user's decimal separator.
std::wstring SizeText(std::uint64_t bytes);

}  // namespace updater
