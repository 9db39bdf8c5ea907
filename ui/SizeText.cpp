#include "ui/SizeText.h"

#include <windows.h>

#include <iterator>

#include "base/ResultText.h"
#include "resources/StringIds.h"

namespace updater {

SizeFigure ChooseSizeFigure(std::uint64_t bytes, const std::wstring& decimalSeparator) {
  constexpr unsigned kUnits[] = {IDS_SIZE_BYTES, IDS_SIZE_KB, IDS_SIZE_MB, IDS_SIZE_GB,
                                 IDS_SIZE_TB};
  if (bytes < 1024) return {std::to_wstring(bytes), IDS_SIZE_BYTES};
  std::size_t unit = 1;
  std::uint64_t scale = 1024;
  while (unit + 1 < std::size(kUnits) && bytes / scale >= 1000) {
    ++unit;
    scale *= 1024;
  }
  const std::uint64_t whole = bytes / scale;
  // The remainder's two decimals, without the overflow of multiplying the whole count.
  const std::uint64_t hundredths = bytes % scale * 100 / scale;
  std::wstring number = std::to_wstring(whole);
  const std::size_t decimals = number.size() >= 3 ? 0 : 3 - number.size();
  if (decimals > 0) {
    wchar_t digits[3] = {static_cast<wchar_t>(L'0' + hundredths / 10),
                         static_cast<wchar_t>(L'0' + hundredths % 10), L'\0'};
    number += decimalSeparator + std::wstring(digits, decimals);
  }
  return {number, kUnits[unit]};
}

std::wstring SizeText(std::uint64_t bytes) {
  wchar_t separator[8] = L".";
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);
  const SizeFigure figure = ChooseSizeFigure(bytes, separator);
  return FormatText(LoadResourceString(figure.unitId).c_str(), figure.number.c_str());
}

}  // namespace updater
