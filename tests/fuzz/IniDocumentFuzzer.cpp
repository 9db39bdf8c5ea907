// IniDocument::Parse; what a reader can ask the document, written out again, reads the same.
#include <unordered_set>

#include "FuzzSupport.h"
#include "base/IniDocument.h"

namespace updater {
namespace {

// Both code pages as Latin-1: the parse sees code units, whatever the system's conversion.
std::wstring Latin1(std::string_view bytes, CodePage) {
  std::wstring text;
  for (const char c : bytes) text += static_cast<wchar_t>(static_cast<unsigned char>(c));
  return text;
}

// The first section of each name (the unnamed one first), its keys that count and their values.
// A NUL after each name keeps the blanks it may end with, as one kept them in the input.
std::wstring Written(const IniDocument& document) {
  const std::wstring nul(1, L'\0');
  std::vector<std::wstring> sections = {L""};
  sections.insert(sections.end(), document.SectionNames().begin(), document.SectionNames().end());
  std::unordered_set<std::wstring> seen;
  std::wstring text;
  for (const std::wstring& section : sections) {
    if (!seen.insert(FoldIniName(section)).second) continue;
    if (!section.empty()) text += L"[" + section + nul + L"]\r\n";
    for (const std::wstring& key : document.KeyNames(section)) {
      const std::wstring value = document.Value(section, key);
      FUZZ_CHECK(value.size() <= kMaxIniValueLength &&
                 value.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos);
      text += key + nul + L"=\"" + value + L"\"\r\n";
    }
  }
  return text;
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const std::wstring text = Written(IniDocument::Parse(bytes, Latin1));
  std::string utf16 = "\xFF\xFE";
  for (const wchar_t c : text) utf16 += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
  FUZZ_CHECK(Written(IniDocument::Parse(utf16, Latin1)) == text);
  return 0;
}
