#include "base/UiLanguage.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

constexpr LANGID kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);
constexpr LANGID kSwissGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN_SWISS);
constexpr LANGID kBrazilian = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN);
constexpr LANGID kPortugal = MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE);
constexpr LANGID kSimplified = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
constexpr LANGID kSingapore = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SINGAPORE);
constexpr LANGID kTaiwan = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_TRADITIONAL);
constexpr LANGID kJapanese = MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN);
constexpr LANGID kDutch = MAKELANGID(LANG_DUTCH, SUBLANG_DUTCH);

TEST(UiLanguageTest, TakesTheNamedLanguageElseTheUsersElseEnglish) {
  const std::vector<LANGID> two = {kEnglishLanguage, kGerman};
  const std::vector<LANGID> many = {kEnglishLanguage, kGerman,     kBrazilian,
                                    kSimplified,      kJapanese,   kPortugal};
  const struct {
    const wchar_t* tag;
    LANGID user;
    std::vector<LANGID> present;
    LANGID chosen;
  } cases[] = {
      {L"de", kJapanese, two, kGerman},
      {L"DE-at", kJapanese, two, kGerman},
      {L"de-CH-1996", kEnglishLanguage, two, kGerman},
      {L"", kSwissGerman, two, kGerman},
      {L"", kDutch, two, kEnglishLanguage},
      {L"", kJapanese, two, kEnglishLanguage},
      {L"ja", kGerman, two, kGerman},  // a language not shipped leaves the user's
      {L"xx", kJapanese, many, kJapanese},
      {L"dex", kDutch, two, kEnglishLanguage},
      {L"d", kDutch, two, kEnglishLanguage},
      {L"pt-BR", kEnglishLanguage, many, kBrazilian},
      {L"pt", kEnglishLanguage, many, kBrazilian},
      {L"pt-PT", kEnglishLanguage, many, kPortugal},
      {L"", kPortugal, many, kPortugal},
      {L"pt-PT", kEnglishLanguage, {kEnglishLanguage, kBrazilian}, kBrazilian},
      {L"zh-CN", kEnglishLanguage, many, kSimplified},
      {L"zh-Hans", kEnglishLanguage, many, kSimplified},
      {L"zh-Hans-HK", kEnglishLanguage, many, kSimplified},
      {L"zh", kEnglishLanguage, many, kSimplified},
      {L"", kSingapore, many, kSimplified},
      {L"zh-TW", kGerman, many, kGerman},  // Traditional Chinese readers do not get Simplified
      {L"zh-Hant", kGerman, many, kGerman},
      {L"zh-HK", kGerman, many, kGerman},
      {L"", kTaiwan, many, kEnglishLanguage},
      {L"en", kJapanese, many, kEnglishLanguage},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.chosen, ChooseUiLanguage(c.tag, c.user, c.present))
        << test::Narrow(c.tag) << " user " << std::hex << c.user;
  }
}

TEST(UiLanguageTest, TagTextIsLettersDigitsAndHyphensUpToEightyFiveCharacters) {
  const std::pair<std::wstring, bool> cases[] = {
      {L"de", true},         {L"pt-BR", true},      {L"sr-Latn-RS", true},
      {L"x-1996", true},     {std::wstring(85, L'a'), true},
      {L"", false},          {L"de_DE", false},     {L"de DE", false},
      {L"de;", false},       {L"d\u00e9", false},   {std::wstring(86, L'a'), false},
  };
  for (const auto& [tag, valid] : cases) {
    EXPECT_EQ(valid, IsLanguageTagText(tag)) << test::Narrow(tag);
  }
}

}  // namespace
}  // namespace updater
