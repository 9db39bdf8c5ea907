#include "catalogue/IniReader.h"

#include <iterator>
#include <utility>

#include "base/CalendarTime.h"
#include "base/ResultText.h"
#include "base/TextUtil.h"
#include "catalogue/UpdateFlags.h"

namespace updater {

std::int32_t ParseIniInteger(const std::wstring& text) {
  std::size_t position = text.find_first_not_of(L' ');
  if (position == std::wstring::npos) return 0;
  const bool negative = text[position] == L'-';
  if (negative) ++position;
  if (position < text.size() && text[position] == L'+') ++position;
  std::uint32_t value = 0;
  for (; position < text.size() && IsAsciiDigit(text[position]); ++position) {
    value = value * 10 + static_cast<std::uint32_t>(text[position] - L'0');
  }
  return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::vector<std::wstring> ParseIniList(const std::wstring& text) {
  std::vector<std::wstring> items;
  std::wstring piece;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\\') {
      if (i + 1 < text.size()) piece += text[++i];
    } else if (text[i] == L';') {
      items.push_back(std::move(piece));
      piece.clear();
    } else {
      piece += text[i];
    }
  }
  if (!piece.empty()) items.push_back(std::move(piece));
  for (std::wstring& item : items) item = Trim(item);
  return items;
}

std::wstring FormatIniList(const std::vector<std::wstring>& items) {
  std::wstring text;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += L';';
    for (const wchar_t c : items[i]) {
      if (c == L'\\' || c == L';') text += L'\\';
      text += c;
    }
  }
  return text;
}

std::uint32_t ParseIniFlags(const std::wstring& text, const TokenName* table, std::size_t count) {
  std::uint32_t bits = 0;
  // A failed parse still leaves the bits of the names before the unknown one.
  ParseTokenList(text, table, count, &bits);
  return bits;
}

std::wstring FormatIniFlags(std::uint32_t bits, const TokenName* table, std::size_t count) {
  std::wstring text;
  for (std::size_t i = 0; i < count; ++i) {
    if ((bits & table[i].value) == 0) continue;
    if (!text.empty()) text += L'|';
    text += table[i].name;
  }
  return text;
}

bool ParseIniDate(const std::wstring& text, SYSTEMTIME* date) {
  *date = SYSTEMTIME{};
  const std::wstring trimmed = Trim(text);
  const std::size_t first = trimmed.find(L'/');
  if (first == std::wstring::npos) return false;
  const std::size_t second = trimmed.find(L'/', first + 1);
  if (second == std::wstring::npos) return false;
  date->wDay = static_cast<WORD>(ParseIniInteger(trimmed.substr(0, first)));
  date->wMonth = static_cast<WORD>(ParseIniInteger(trimmed.substr(first + 1, second - first - 1)));
  date->wYear = static_cast<WORD>(ParseIniInteger(trimmed.substr(second + 1)));
  return true;
}

bool ParseCalendarDate(const std::wstring& text, SYSTEMTIME* date) {
  return ParseIniDate(text, date) && IsCalendarDay(date->wYear, date->wMonth, date->wDay);
}

std::wstring FormatIniDate(const SYSTEMTIME& date) {
  return FormatText(L"%.2u/%.2u/%.4u", static_cast<unsigned>(date.wDay),
                    static_cast<unsigned>(date.wMonth), static_cast<unsigned>(date.wYear));
}

std::wstring FormatIniVersion(const VersionNumber& version) {
  const std::wstring text = version.ToString();
  VersionNumber readBack;
  if (readBack.Parse(text) && Equal(readBack, version)) return text;
  return FormatText(L"%d.%d.%d.%d", version.Field(0), version.Field(1), version.Field(2),
                    version.Field(3));
}

void ParseVersionCondition(const std::wstring& text, VersionOperator* op, VersionNumber* version) {
  std::size_t digit = 0;
  while (digit < text.size() && !IsAsciiDigit(text[digit])) ++digit;
  *op = Trim(text.substr(0, digit)) == L"=" ? VersionOperator::Equal : VersionOperator::AtLeast;
  version->Parse(text.substr(digit));
}

std::wstring FormatVersionCondition(VersionOperator op, const VersionNumber& version) {
  return std::wstring(op == VersionOperator::Equal ? L"=" : L">=") + L" " +
         FormatIniVersion(version);
}

AutoCloseEntry ParseAutoCloseEntry(const std::wstring& text) {
  AutoCloseEntry entry;
  const std::size_t bar = text.find(L'|');
  entry.application = Trim(text.substr(0, bar));
  if (bar == std::wstring::npos) return entry;
  const std::vector<std::wstring> items = ParseIniList(text.substr(bar + 1));
  if (items.size() > 0) entry.arguments = items[0];
  if (items.size() > 1) entry.windowTitle = items[1];
  if (items.size() > 2) {
    entry.flags = ParseIniFlags(items[2], kAutoCloseFlagNames, std::size(kAutoCloseFlagNames));
  }
  return entry;
}

std::wstring FormatAutoCloseEntry(const AutoCloseEntry& entry) {
  return entry.application + L"|" +
         FormatIniList(
             {entry.arguments, entry.windowTitle,
              FormatIniFlags(entry.flags, kAutoCloseFlagNames, std::size(kAutoCloseFlagNames))});
}

bool StartsWithUtf16ByteOrderMark(const std::string& head) {
  return head.size() >= 2 && head[0] == '\xFF' && head[1] == '\xFE';
}

bool HasUpdateConfigHeader(const std::string& head) {
  static constexpr char kHeader[] = ";qzu;";
  if (!StartsWithUtf16ByteOrderMark(head)) return head.compare(0, 5, kHeader) == 0;
  if (head.size() < kHeadBytes) return false;
  for (std::size_t i = 0; i < 5; ++i) {
    if (head[2 + 2 * i] != kHeader[i] || head[3 + 2 * i] != '\0') return false;
  }
  return true;
}

IniReader::IniReader(std::wstring path) : file_(std::move(path)) {}

ResultCode IniReader::Load() {
  head_.clear();
  document_ = IniDocument();
  std::string bytes;
  const ResultCode result = file_.ReadBytes(kMaxIniFileBytes, &bytes);
  if (result == ERROR_FILE_TOO_LARGE) return kInvalidHeader;
  if (result != kSuccess) return result;
  Parse(bytes);
  return kSuccess;
}

void IniReader::Parse(const std::string& bytes) {
  head_ = bytes.substr(0, kHeadBytes);
  document_ = ParseIniFile(bytes);
}

bool IniReader::IsUtf16() const { return StartsWithUtf16ByteOrderMark(head_); }

bool IniReader::HasHeaderLine() const { return HasUpdateConfigHeader(head_); }

std::wstring IniReader::ReadText(const std::wstring& section, const std::wstring& key) const {
  return document_.Value(section, key);
}

std::int32_t IniReader::ReadInteger(const std::wstring& section, const std::wstring& key) const {
  return ParseIniInteger(ReadText(section, key));
}

std::vector<std::wstring> IniReader::ReadList(const std::wstring& section,
                                              const std::wstring& key) const {
  return ParseIniList(ReadText(section, key));
}

std::uint32_t IniReader::ReadFlags(const std::wstring& section, const std::wstring& key,
                                   const TokenName* table, std::size_t count) const {
  return ParseIniFlags(ReadText(section, key), table, count);
}

VersionNumber IniReader::ReadVersion(const std::wstring& section, const std::wstring& key) const {
  VersionNumber version;
  version.Parse(ReadText(section, key));
  return version;
}

std::vector<std::wstring> IniReader::ReadNumbered(const std::wstring& section,
                                                  const std::wstring& key,
                                                  const std::wstring& htmlKey) const {
  if (htmlKey.empty()) return document_.NumberedValues(section, key);
  std::vector<std::wstring> items;
  for (unsigned number = 0;; ++number) {
    const std::wstring suffix = number == 0 ? std::wstring() : std::to_wstring(number);
    std::wstring value = ReadText(section, htmlKey + suffix);
    if (value.empty()) value = ReadText(section, key + suffix);
    // An empty unnumbered pair does not end the list: it may start at key1.
    if (value.empty() && number > 0) return items;
    if (!value.empty()) items.push_back(std::move(value));
  }
}

ResultCode IniReader::WriteText(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value) const {
  return file_.WriteString(section, key, value);
}

ResultCode IniReader::WriteInteger(const std::wstring& section, const std::wstring& key,
                                   std::int64_t value) const {
  return WriteText(section, key, std::to_wstring(value));
}

ResultCode IniReader::WriteList(const std::wstring& section, const std::wstring& key,
                                const std::vector<std::wstring>& items) const {
  return WriteText(section, key, FormatIniList(items));
}

ResultCode IniReader::WriteFlags(const std::wstring& section, const std::wstring& key,
                                 std::uint32_t bits, const TokenName* table,
                                 std::size_t count) const {
  return WriteText(section, key, FormatIniFlags(bits, table, count));
}

ResultCode IniReader::WriteNumbered(const std::wstring& section, const std::wstring& key,
                                    const std::vector<std::wstring>& items) const {
  unsigned number = 0;
  for (const std::wstring& item : items) {
    if (item.empty()) continue;
    const std::wstring name = number == 0 ? key : key + std::to_wstring(number);
    if (const ResultCode result = WriteText(section, name, item)) return result;
    ++number;
  }
  return kSuccess;
}

}  // namespace updater
