#include "base/UiLanguage.h"

#include <algorithm>
#include <atomic>
#include <cwctype>

namespace updater {
namespace {

constexpr std::size_t kMaxTagLength = 85;  // LOCALE_NAME_MAX_LENGTH without its terminator
constexpr WORD kChineseTraditionalNeutral = 0x1F;  // the sublanguage of "zh-Hant"

struct TagLanguage {
  const wchar_t* tag;
  LANGID language;
};

// The languages the updater may have texts for. A tag takes the first row whose subtags begin it,
// so the regions and scripts that change the language come before their language's own row.
constexpr TagLanguage kTagLanguages[] = {
    {L"zh-Hant", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
    {L"zh-TW", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL)},
    {L"zh-HK", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_HONGKONG)},
    {L"zh-MO", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_MACAU)},
    {L"pt-PT", MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE)},
    {L"en", kEnglishLanguage},
    {L"de", MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN)},
    {L"fr", MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH)},
    {L"es", MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN)},
    {L"it", MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN)},
    {L"pt", MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN)},
    {L"ru", MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA)},
    {L"pl", MAKELANGID(LANG_POLISH, SUBLANG_POLISH_POLAND)},
    {L"ja", MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN)},
    {L"zh", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED)},
    {L"ko", MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)},
};

std::atomic<LANGID> chosenLanguage{kEnglishLanguage};

// Whether `prefix` is `tag` or its leading subtags, in any letter case.
bool BeginsWithSubtags(const std::wstring& tag, const wchar_t* prefix) {
  std::size_t at = 0;
  for (; prefix[at] != L'\0'; ++at) {
    if (at == tag.size() || std::towlower(tag[at]) != std::towlower(prefix[at])) return false;
  }
  return at == tag.size() || tag[at] == L'-';
}

bool IsTraditionalChinese(LANGID language) {
  switch (SUBLANGID(language)) {
    case SUBLANG_CHINESE_TRADITIONAL:
    case SUBLANG_CHINESE_HONGKONG:
    case SUBLANG_CHINESE_MACAU:
    case kChineseTraditionalNeutral:
      return true;
    default:
      return false;
  }
}

// A reader of one reads the other: the same language, and for Chinese the same script.
bool ReadsAs(LANGID a, LANGID b) {
  if (PRIMARYLANGID(a) != PRIMARYLANGID(b)) return false;
  return PRIMARYLANGID(a) != LANG_CHINESE || IsTraditionalChinese(a) == IsTraditionalChinese(b);
}

BOOL CALLBACK AddLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR found) {
  auto* languages = reinterpret_cast<std::vector<LANGID>*>(found);
  if (std::find(languages->begin(), languages->end(), language) == languages->end()) {
    languages->push_back(language);
  }
  return TRUE;
}

BOOL CALLBACK AddBlockLanguages(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR found) {
  EnumResourceLanguagesW(module, type, name, &AddLanguage, found);
  return TRUE;
}

}  // namespace

bool IsLanguageTagText(const std::wstring& tag) {
  if (tag.empty() || tag.size() > kMaxTagLength) return false;
  return std::all_of(tag.begin(), tag.end(), [](wchar_t c) {
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z') || (c >= L'0' && c <= L'9') ||
           c == L'-';
  });
}

LANGID LanguageOfTag(const std::wstring& tag) {
  for (const TagLanguage& row : kTagLanguages) {
    if (BeginsWithSubtags(tag, row.tag)) return row.language;
  }
  return 0;
}

LANGID MatchLanguage(LANGID wanted, const std::vector<LANGID>& present) {
  if (wanted == 0) return 0;
  if (std::find(present.begin(), present.end(), wanted) != present.end()) return wanted;
  for (const LANGID language : present) {
    if (ReadsAs(wanted, language)) return language;
  }
  return 0;
}

LANGID ChooseUiLanguage(const std::wstring& tag, LANGID user, const std::vector<LANGID>& present) {
  if (const LANGID named = MatchLanguage(LanguageOfTag(tag), present)) return named;
  if (const LANGID users = MatchLanguage(user, present)) return users;
  return kEnglishLanguage;
}

std::vector<LANGID> ResourceLanguages(HMODULE module) {
  std::vector<LANGID> languages;
  EnumResourceNamesW(module, RT_STRING, &AddBlockLanguages,
                     reinterpret_cast<LONG_PTR>(&languages));
  return languages;
}

std::wstring LoadResourceStringIn(HMODULE module, unsigned id, LANGID language) {
  // A block holds sixteen strings, each its length and then its characters.
  const HRSRC found = FindResourceExW(module, RT_STRING, MAKEINTRESOURCEW(id / 16 + 1), language);
  const HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
  const auto* entry = static_cast<const WCHAR*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  if (entry == nullptr) return {};
  const WCHAR* const end = entry + SizeofResource(module, found) / sizeof(WCHAR);
  for (unsigned skipped = 0; skipped < id % 16 && entry < end; ++skipped) entry += 1 + *entry;
  if (entry >= end || *entry > end - entry - 1) return {};
  return std::wstring(entry + 1, *entry);
}

LANGID ApplyUiLanguage(const std::wstring& tag) {
  const LANGID chosen = ChooseUiLanguage(tag, GetUserDefaultUILanguage(),
                                         ResourceLanguages(GetModuleHandleW(nullptr)));
  chosenLanguage = chosen;
  // Texts of the system's own (a message box's buttons) follow where Windows has the language;
  // Wine ignores it and shows them in the language of its locale.
  SetThreadUILanguage(chosen);
  return chosen;
}

LANGID UiLanguage() { return chosenLanguage; }

}  // namespace updater
