#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace updater {

struct TokenName {
  const wchar_t* name;
  std::uint32_t value;
};

// The "|"-separated names of `text`, each trimmed of white space; one empty name for an empty text.
std::vector<std::wstring> SplitTokenList(const std::wstring& text);

// The entry of `table` named exactly `name`, or null.
const TokenName* FindTokenName(const std::wstring& name, const TokenName* table, std::size_t count);

// Parses "|"-separated names, each trimmed of white space and looked up case-sensitively in
// `table`, into the OR of their values. An empty text or a name not in the table fails; the names
// after it are not looked at and `value` keeps what was ORed before it.
bool ParseTokenList(const std::wstring& text, const TokenName* table, std::size_t count,
                    std::uint32_t* value);

template <std::size_t N>
bool ParseTokenList(const std::wstring& text, const TokenName (&table)[N], std::uint32_t* value) {
  return ParseTokenList(text, table, N, value);
}

// As ParseTokenList, or the value itself written as a number: decimal digits, or "0x" and
// hexadecimal digits, with nothing around them, up to 0xFFFFFFFF. A failed parse leaves `value`
// as it was.
bool ParseTokenListOrNumber(const std::wstring& text, const TokenName* table, std::size_t count,
                            std::uint32_t* value);

template <std::size_t N>
bool ParseTokenListOrNumber(const std::wstring& text, const TokenName (&table)[N],
                            std::uint32_t* value) {
  return ParseTokenListOrNumber(text, table, N, value);
}

// The log levels of the Logger, by name.
extern const TokenName kLogLevelNames[5];

}  // namespace updater
