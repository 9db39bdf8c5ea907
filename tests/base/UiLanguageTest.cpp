#include "base/UiLanguage.h"

#include <gtest/gtest.h>

#include "TestSupport.h"

namespace updater {
namespace {

TEST(UiLanguageTest, TakesTheNamedLanguageElseTheUsersElseEnglish) {
  constexpr LANGID en = kEnglishLanguage, de = 0x0407, deCH = 0x0807, ptBR = 0x0416, ptPT = 0x0816,
                   zhCN = 0x0804, zhSG = 0x1004, zhTW = 0x0404, ja = 0x0411, nl = 0x0413;
  const std::vector<LANGID> two = {en, de}, many = {en, de, ptBR, zhCN, ja, ptPT};
  const struct {
    const wchar_t* tag;
    LANGID user;
    std::vector<LANGID> present;
    LANGID chosen;
  } cases[] = {
      {L"de", ja, two, de},          {L"DE-at", ja, two, de},     {L"de-CH-1996", en, two, de},
      {L"", deCH, two, de},          {L"", nl, two, en},          {L"ja", de, two, de},
      {L"xx", ja, many, ja},         {L"dex", nl, two, en},       {L"pt", en, many, ptBR},
      {L"pt-PT", en, many, ptPT},    {L"pt-PT", en, {en, ptBR}, ptBR},
      {L"zh-Hans-HK", en, many, zhCN}, {L"", zhSG, many, zhCN},
      // Traditional Chinese readers are not given Simplified.
      {L"zh-TW", de, many, de},      {L"zh-Hant", de, many, de},  {L"", zhTW, many, en},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.chosen, ChooseUiLanguage(c.tag, c.user, c.present))
        << test::Narrow(c.tag) << " user " << std::hex << c.user;
  }
}

}  // namespace
}  // namespace updater
