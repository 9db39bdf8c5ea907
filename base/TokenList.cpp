#include "base/TokenList.h"

#include "base/TextUtil.h"

namespace updater {

// The log levels of the Logger, by name.
const TokenName kLogLevelNames[5] = {
    {L"Off", 0}, {L"Error", 1}, {L"Info", 2}, {L"Debug", 4}, {L"Trace", 8},
};

namespace {

// Digits of `base` (10 or 16) from `begin` to the end, at least one, fitting in 32 bits.
bool ParseDigits(const std::wstring& text, std::size_t begin, std::uint32_t base,
                 std::uint32_t* value) {
  if (begin >= text.size()) return false;
  std::uint64_t number = 0;
  for (std::size_t i = begin; i < text.size(); ++i) {
    const wchar_t c = text[i];
    std::uint32_t digit = base;
    if (c >= L'0' && c <= L'9') digit = static_cast<std::uint32_t>(c - L'0');
    if (base == 16 && c >= L'a' && c <= L'f') digit = static_cast<std::uint32_t>(c - L'a' + 10);
    if (base == 16 && c >= L'A' && c <= L'F') digit = static_cast<std::uint32_t>(c - L'A' + 10);
    if (digit >= base) return false;
    number = number * base + digit;
    if (number > 0xFFFFFFFFull) return false;
  }
  *value = static_cast<std::uint32_t>(number);
  return true;
}

}  // namespace

bool ParseTokenListOrNumber(const std::wstring& text, const TokenName* table, std::size_t count,
                            std::uint32_t* value) {
  const bool hex = text.size() > 1 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X');
  std::uint32_t parsed = 0;
  const bool ok = hex ? ParseDigits(text, 2, 16, &parsed)
                      : ParseDigits(text, 0, 10, &parsed) ||
                            ParseTokenList(text, table, count, &parsed);
  if (ok) *value = parsed;
  return ok;
}

std::vector<std::wstring> SplitTokenList(const std::wstring& text) {
  std::vector<std::wstring> names;
  std::size_t begin = 0;
  for (;;) {
    std::size_t end = text.find(L'|', begin);
    if (end == std::wstring::npos) end = text.size();
    names.push_back(Trim(std::wstring_view(text).substr(begin, end - begin)));
    if (end == text.size()) return names;
    begin = end + 1;
  }
}

const TokenName* FindTokenName(const std::wstring& name, const TokenName* table,
                               std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) {
    if (name == table[i].name) return &table[i];
  }
  return nullptr;
}

bool ParseTokenList(const std::wstring& text, const TokenName* table, std::size_t count,
                    std::uint32_t* value) {
  *value = 0;
  if (text.empty()) return false;
  for (const std::wstring& name : SplitTokenList(text)) {
    const TokenName* found = FindTokenName(name, table, count);
    if (found == nullptr) return false;
    *value |= found->value;
  }
  return true;
}

}  // namespace updater
