#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace updater {

enum class CodePage { Ansi, Utf8 };

// Bytes of a code page as text. The caller supplies the system's conversion, so that the parse
// stays a function of its input.
using CodePageDecoder = std::function<std::wstring(std::string_view bytes, CodePage codePage)>;

// Values are cut after this many characters, as GetPrivateProfileStringW cuts them for a caller
// with a buffer of 64 Ki characters: a description of that length is already unreadable, and a
// cut value keeps the rest of the file usable.
constexpr std::size_t kMaxIniValueLength = 65535;

// An INI file parsed once, answering as GetPrivateProfileStringW answers under Wine:
// - UTF-16LE or UTF-16BE after their byte-order mark, UTF-8 after its mark, else the ANSI code
//   page; a NUL ends the name or value it is in;
// - lines end at any run of CR and LF; blanks (tab to CR, ^Z, space) around lines, names and
//   values do not count; a value in one pair of matching quotes (" or ') loses them;
// - "[name]" up to the last "]" starts a section; a line with "[" but no "]" is a key line; keys
//   before the first section belong to an unnamed one;
// - a key line is name=value split at the first "="; a line without "=" is a key without a
//   value, which reads as missing; ";" is not special (";x=1" is key ";x");
// - names match with ASCII letters in any case (other letters exactly); of sections with one
//   name only the first counts, and of keys with one name in it, only the first.
class IniDocument {
 public:
  static IniDocument Parse(std::string_view bytes, const CodePageDecoder& decode);

  // Empty when the section, the key or its value is missing.
  std::wstring Value(std::wstring_view section, std::wstring_view key) const;
  // The non-empty value of `key`, then those of key1, key2 and so on up to the first empty or
  // missing one.
  std::vector<std::wstring> NumberedValues(std::wstring_view section, std::wstring_view key) const;
  // In file order with duplicates, unnamed sections left out.
  const std::vector<std::wstring>& SectionNames() const { return sectionNames_; }
  // The names of the keys that count in `section`, as written, in file order.
  std::vector<std::wstring> KeyNames(std::wstring_view section) const;

 private:
  struct Keys {
    std::unordered_map<std::wstring, std::optional<std::wstring>> values;
    std::vector<std::wstring> names;
  };

  const Keys* FindSection(std::wstring_view section) const;

  // The first section of each folded name; index 0 is the unnamed one before any "[".
  std::unordered_map<std::wstring, std::size_t> sectionIndex_;
  std::vector<Keys> sections_;
  std::vector<std::wstring> sectionNames_;
};

// A section or key name in the form names are compared: ASCII letters in upper case.
std::wstring FoldIniName(std::wstring_view name);

// Whether `key` names what a reader asks for as `name` or, when `numbered`, as one of the names
// NumberedValues builds from it (name1, name2, ...: "URL01" is never asked for).
bool IsIniKeyOf(std::wstring_view key, std::wstring_view name, bool numbered);

}  // namespace updater
