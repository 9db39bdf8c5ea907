#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace updater {

// The language every text exists in, and the last one to fall back to.
inline constexpr LANGID kEnglishLanguage = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

// Whether `tag` has the form the client configuration's Language key takes: 1 to 85 letters,
// digits and '-' (the longest language tag a locale name may be).
bool IsLanguageTagText(const std::wstring& tag);

// The language a tag names ("de", "de-AT", "pt-BR", "zh-Hans"), matched by its leading subtags
// and in any letter case; 0 for a tag of a language the updater has no texts for.
LANGID LanguageOfTag(const std::wstring& tag);

// The language of `present` that shows `wanted`: itself, else one of the same primary language
// (and, for Chinese, the same script); 0 when none does.
LANGID MatchLanguage(LANGID wanted, const std::vector<LANGID>& present);

// The language the user sees: the one `tag` names when `present` has it, else the user's UI
// language `user` when present has it, else English.
LANGID ChooseUiLanguage(const std::wstring& tag, LANGID user, const std::vector<LANGID>& present);

// The languages of `module`'s string table.
std::vector<LANGID> ResourceLanguages(HMODULE module);

// String `id` of `module` in exactly `language`; empty when that language lacks it.
std::wstring LoadResourceStringIn(HMODULE module, unsigned id, LANGID language);

// Chooses the process's language from `tag`, the user's UI language and this executable's string
// table, for every text loaded afterwards. Returns the language chosen.
LANGID ApplyUiLanguage(const std::wstring& tag);

// The language chosen for the process; English until ApplyUiLanguage.
LANGID UiLanguage();

}  // namespace updater
