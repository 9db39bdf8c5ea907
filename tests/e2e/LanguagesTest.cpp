#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>
#include <utility>

#include "base/ResultText.h"
#include "base/UiLanguage.h"
#include "e2e/Scenario.h"
#include "e2e/WizardUser.h"
#include "resources/StringIds.h"
#include "resources/WizardIds.h"

namespace updater::test {
namespace {

// The languages Updater.exe ships; a language added there is added here.
constexpr LANGID kLanguages[] = {kEnglishLanguage,
                                 MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN),
                                 MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH),
                                 MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH_MODERN),
                                 MAKELANGID(LANG_ITALIAN, SUBLANG_ITALIAN),
                                 MAKELANGID(LANG_PORTUGUESE, SUBLANG_PORTUGUESE_BRAZILIAN),
                                 MAKELANGID(LANG_POLISH, SUBLANG_POLISH_POLAND),
                                 MAKELANGID(LANG_RUSSIAN, SUBLANG_RUSSIAN_RUSSIA),
                                 MAKELANGID(LANG_JAPANESE, SUBLANG_JAPANESE_JAPAN),
                                 MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED),
                                 MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN)};

// Texts any language may write as English does: OK and the units' symbols.
constexpr unsigned kInternational[] = {IDS_OK, IDS_SIZE_KB, IDS_SIZE_MB, IDS_SIZE_GB, IDS_SIZE_TB};

// Words one language writes as English does.
constexpr std::pair<const wchar_t*, unsigned> kSharedWords[] = {
    {L"de", IDS_COLUMN_UPDATE}, {L"de", IDS_COLUMN_STATUS},    {L"fr", IDS_COLUMN_ACTION},
    {L"fr", IDS_MESSAGES_TITLE}, {L"es", IDS_ERROR_FORMAT},    {L"es", IDS_SIZE_BYTES},
    {L"it", IDS_PASSWORD},       {L"pt-BR", IDS_COLUMN_STATUS}, {L"pt-BR", IDS_SIZE_BYTES},
};

bool MayStayEnglish(LANGID language, unsigned id) {
  return std::count(std::begin(kInternational), std::end(kInternational), id) > 0 ||
         std::any_of(std::begin(kSharedWords), std::end(kSharedWords), [&](const auto& shared) {
           return LanguageOfTag(shared.first) == language && shared.second == id;
         });
}

ModuleHandle ShippedExecutable() {
  const std::wstring path = ThisExecutableFolder() + L"\\..\\Updater.exe";
  return ModuleHandle(LoadLibraryExW(path.c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
}

BOOL CALLBACK AddBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<WORD>*>(blocks)->push_back(LOWORD(name));
  return TRUE;
}

// What a translation keeps of the English text, as often: its printf conversions ("%s", "%d",
// "%%") and its accelerator marks ("&").
std::map<std::wstring, int> KeptMarks(const std::wstring& text) {
  std::map<std::wstring, int> marks;
  for (std::size_t at = 0; at < text.size(); ++at) {
    if (text[at] == L'&') ++marks[L"&"];
    if (text[at] != L'%') continue;
    std::size_t end = at + 1;
    while (end < text.size() && !std::iswalpha(text[end]) && text[end] != L'%') ++end;
    ++marks[text.substr(at, end + 1 - at)];
    at = end;
  }
  return marks;
}

TEST(LanguagesTest, EveryLanguageHasEveryTextTranslatedWithItsPlaceholders) {
  const ModuleHandle updater = ShippedExecutable();
  std::vector<LANGID> shipped = ResourceLanguages(updater.Get());
  std::vector<LANGID> listed(std::begin(kLanguages), std::end(kLanguages));
  std::sort(shipped.begin(), shipped.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, shipped) << "the languages of Updater.exe and of this test differ";
  std::vector<WORD> blocks;
  EnumResourceNamesW(updater.Get(), RT_STRING, &AddBlock, reinterpret_cast<LONG_PTR>(&blocks));
  ASSERT_GT(blocks.size(), 8u);
  for (const WORD block : blocks) {
    for (unsigned id = (block - 1) * 16u; id < block * 16u; ++id) {
      const std::wstring english = LoadResourceStringIn(updater.Get(), id, kEnglishLanguage);
      for (const LANGID language : kLanguages) {
        const std::wstring text = LoadResourceStringIn(updater.Get(), id, language);
        const std::string where = "language " + std::to_string(language) + " string " +
                                  std::to_string(id) + " \"" + Narrow(text) + "\"";
        EXPECT_EQ(english.empty(), text.empty()) << where << " is missing, or not in English";
        if (english.empty()) continue;
        EXPECT_TRUE(language == kEnglishLanguage || MayStayEnglish(language, id) || english != text)
            << where << " is not translated";
        EXPECT_EQ(KeptMarks(english), KeptMarks(text)) << where;
      }
    }
  }
}

// The wizard in the language the client configuration names or, for a tag of a language not
// shipped, in the user's own; the screenshots of its pages show texts that do not fit.
TEST(LanguagesTest, WizardSpeaksTheConfiguredLanguageAndTheLogStaysEnglish) {
  const struct {
    const wchar_t* tag;
    const wchar_t* next;  // the Next button as Windows words it; none for the user's language
  } cases[] = {
      {L"de", L"Weiter"},
      {L"ja", L"次へ"},
      {L"ru", L"Далее"},
      {L"xx", nullptr},
  };
  const ModuleHandle updater = ShippedExecutable();
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.tag));
    const std::wstring tag = c.tag;
    const LANGID language =
        ChooseUiLanguage(tag, GetUserDefaultUILanguage(), ResourceLanguages(updater.Get()));
    const auto text = [&](unsigned id) {
      return LoadResourceStringIn(updater.Get(), id, language);
    };
    Scenario s;
    s.Configure(L"ApplicationName=Test App\r\nLanguage=" + tag + L"\r\nURL=" +
                    s.Url(L"updates.ini") + L"\r\n",
                true);
    s.Publish(s.Section({L"Quick"}) + s.FaultySection({L"Paced"}, L"paced/400/"));
    WizardUser user;
    EXPECT_EQ(0u, s.Run(L"/checknow").exitCode) << "no copy started";
    ASSERT_TRUE(user.WaitForSheet(FormatText(text(IDS_FOUND_UPDATES_FOR).c_str(), L"Test App")))
        << Narrow(s.Log());
    if (c.next != nullptr) {
      EXPECT_EQ(c.next, user.Text(kNext));
    }
    for (const auto& [button, id] :
         {std::pair{kBack, IDS_BACK}, {kNext, IDS_NEXT}, {IDCANCEL, IDS_CANCEL}}) {
      EXPECT_EQ(text(id), user.Text(button)) << "button " << button;
    }
    EXPECT_EQ(text(IDS_ACTION_DOWNLOAD), user.Cell(IDC_SELECT_LIST, 0, 2));
    SaveScreenshot(L"wizard-select-" + tag);

    user.Press(kNext);
    EXPECT_TRUE(WaitUntil([&] { return !user.Text(IDC_PROGRESS_STATUS).empty(); }));
    EXPECT_EQ(FormatText(text(IDS_TITLE_FOR_APP).c_str(), text(IDS_INSTALLING_UPDATES).c_str(),
                         L"Test App"),
              user.Title());
    SaveScreenshot(L"wizard-progress-" + tag);
    ASSERT_TRUE(WaitUntil([&] { return user.Control(IDC_SUMMARY_LIST) != nullptr; }, 60000));
    EXPECT_EQ(text(IDS_FINISH), user.Text(kFinish));
    SaveScreenshot(L"wizard-summary-" + tag);
    user.Press(kFinish);
    const std::wstring ended = L"Updater wizard ended. Return code: 0\r";
    EXPECT_TRUE(WaitUntil([&] { return Contains(s.Log(), ended); })) << Narrow(s.Log());
  }
}

}  // namespace
}  // namespace updater::test
