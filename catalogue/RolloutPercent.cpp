#include "catalogue/RolloutPercent.h"

#include "base/TextUtil.h"

namespace updater {

int ParseRolloutPercent(const std::wstring& text) {
  const std::wstring value = Trim(text);
  if (value.empty()) return kRolloutToEveryone;
  // At most three digits, so that no overflow can wrap a long number into range.
  if (value.size() > 3 || value.find_first_not_of(L"0123456789") != std::wstring::npos) {
    return kRolloutToNobody;
  }
  int percent = 0;
  for (const wchar_t digit : value) percent = percent * 10 + (digit - L'0');
  return percent <= kRolloutToEveryone ? percent : kRolloutToNobody;
}

bool IsInRollout(int percent, DWORD bucket) {
  return percent >= 0 && bucket < static_cast<DWORD>(percent) * (kRolloutBuckets / 100);
}

}  // namespace updater
