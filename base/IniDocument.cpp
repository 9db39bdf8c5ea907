#include "base/IniDocument.h"

#include <utility>

namespace updater {
namespace {

bool IsIniBlank(wchar_t c) { return (c >= L'\t' && c <= L'\r') || c == L'\x1A' || c == L' '; }

std::wstring_view TrimBlanks(std::wstring_view text) {
  while (!text.empty() && IsIniBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsIniBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The profile functions keep names and values as C strings.
std::wstring_view UpToNul(std::wstring_view text) { return text.substr(0, text.find(L'\0')); }

std::wstring UnquotedValue(std::wstring_view value) {
  value = UpToNul(value);
  if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return std::wstring(value.substr(0, kMaxIniValueLength));
}

std::wstring Utf16Text(std::string_view bytes, bool bigEndian) {
  std::wstring text(bytes.size() / 2, L'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto first = static_cast<unsigned char>(bytes[2 * i]);
    const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
    text[i] = static_cast<wchar_t>(bigEndian ? first << 8 | second : second << 8 | first);
  }
  return text;
}

std::wstring DecodeIniBytes(std::string_view bytes, const CodePageDecoder& decode) {
  const auto startsWith = [&](std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
  };
  if (startsWith("\xFF\xFE")) return Utf16Text(bytes.substr(2), false);
  if (startsWith("\xFE\xFF")) return Utf16Text(bytes.substr(2), true);
  if (startsWith("\xEF\xBB\xBF")) return decode(bytes.substr(3), CodePage::Utf8);
  return decode(bytes, CodePage::Ansi);
}

}  // namespace

std::wstring FoldIniName(std::wstring_view name) {
  std::wstring folded(name);
  for (wchar_t& c : folded) {
    if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
  }
  return folded;
}

bool IsIniKeyOf(std::wstring_view key, std::wstring_view name, bool numbered) {
  const std::wstring folded = FoldIniName(key), base = FoldIniName(name);
  if (folded == base) return true;
  if (!numbered || folded.size() <= base.size() || folded.compare(0, base.size(), base) != 0 ||
      folded[base.size()] == L'0') {
    return false;
  }
  for (std::size_t i = base.size(); i < folded.size(); ++i) {
    if (folded[i] < L'0' || folded[i] > L'9') return false;
  }
  return true;
}

IniDocument IniDocument::Parse(std::string_view bytes, const CodePageDecoder& decode) {
  IniDocument document;
  document.sectionIndex_.emplace(std::wstring(), 0);
  document.sections_.emplace_back();
  // Null while in a section whose name an earlier one already has: its keys are never read.
  Keys* keys = &document.sections_.back();

  const std::wstring text = DecodeIniBytes(bytes, decode);
  const std::wstring_view all(text);
  for (std::size_t begin = 0; begin < all.size();) {
    std::size_t end = all.find_first_of(L"\r\n", begin);
    if (end == std::wstring_view::npos) end = all.size();
    const std::wstring_view line = TrimBlanks(all.substr(begin, end - begin));
    begin = end + 1;
    if (line.empty()) continue;

    const std::size_t close = line.rfind(L']');
    if (line.front() == L'[' && close != std::wstring_view::npos) {
      const std::wstring_view name = UpToNul(TrimBlanks(line.substr(1, close - 1)));
      if (!name.empty()) document.sectionNames_.emplace_back(name);
      const auto [found, added] =
          document.sectionIndex_.emplace(FoldIniName(name), document.sections_.size());
      keys = nullptr;
      if (added) keys = &document.sections_.emplace_back();
      continue;
    }
    if (keys == nullptr) continue;
    const std::size_t equals = line.find(L'=');
    const std::wstring_view name = UpToNul(TrimBlanks(line.substr(0, equals)));
    std::optional<std::wstring> value;
    if (equals != std::wstring_view::npos) {
      value = UnquotedValue(TrimBlanks(line.substr(equals + 1)));
    }
    if (keys->values.emplace(FoldIniName(name), std::move(value)).second) {
      keys->names.emplace_back(name);
    }
  }
  return document;
}

const IniDocument::Keys* IniDocument::FindSection(std::wstring_view section) const {
  const auto found = sectionIndex_.find(FoldIniName(TrimBlanks(section)));
  return found == sectionIndex_.end() ? nullptr : &sections_[found->second];
}

std::wstring IniDocument::Value(std::wstring_view section, std::wstring_view key) const {
  const Keys* keys = FindSection(section);
  if (keys == nullptr) return std::wstring();
  const auto found = keys->values.find(FoldIniName(TrimBlanks(key)));
  if (found == keys->values.end() || !found->second) return std::wstring();
  return *found->second;
}

std::vector<std::wstring> IniDocument::KeyNames(std::wstring_view section) const {
  const Keys* keys = FindSection(section);
  return keys == nullptr ? std::vector<std::wstring>() : keys->names;
}

std::vector<std::wstring> IniDocument::NumberedValues(std::wstring_view section,
                                                      std::wstring_view key) const {
  std::vector<std::wstring> values;
  // The unnumbered key may be empty while the numbered ones still count.
  std::wstring value = Value(section, key);
  if (!value.empty()) values.push_back(std::move(value));
  const std::wstring name(key);
  for (unsigned number = 1;; ++number) {
    value = Value(section, name + std::to_wstring(number));
    if (value.empty()) return values;
    values.push_back(std::move(value));
  }
}

}  // namespace updater
