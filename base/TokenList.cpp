#include "base/TokenList.h"

namespace updater {

// The log levels of the Logger, by name.
const TokenName kLogLevelNames[5] = {
    {L"Off", 0}, {L"Error", 1}, {L"Info", 2}, {L"Debug", 4}, {L"Trace", 8},
};

namespace {

constexpr wchar_t kWhiteSpace[] = L" \t\r\n\v\f";

std::wstring Trim(const std::wstring& text, std::size_t begin, std::size_t end) {
  const std::size_t first = text.find_first_not_of(kWhiteSpace, begin);
  if (first == std::wstring::npos || first >= end) return std::wstring();
  const std::size_t last = text.find_last_not_of(kWhiteSpace, end - 1);
  return text.substr(first, last - first + 1);
}

}  // namespace

bool ParseTokenList(const std::wstring& text, const TokenName* table, std::size_t count,
                    std::uint32_t* value) {
  *value = 0;
  if (text.empty()) return false;
  std::size_t begin = 0;
  for (;;) {
    std::size_t end = text.find(L'|', begin);
    if (end == std::wstring::npos) end = text.size();
    const std::wstring name = Trim(text, begin, end);
    const TokenName* found = nullptr;
    for (std::size_t i = 0; i < count && found == nullptr; ++i) {
      if (name == table[i].name) found = &table[i];
    }
    if (found == nullptr) return false;
    *value |= found->value;
    if (end == text.size()) return true;
    begin = end + 1;
  }
}

}  // namespace updater
