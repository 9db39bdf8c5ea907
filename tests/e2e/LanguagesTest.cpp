#include <gtest/gtest.h>

#include <algorithm>
#include <cwctype>
#include <map>

#include "base/ResultText.h"
#include "base/UiLanguage.h"
#include "e2e/Scenario.h"
#include "e2e/WizardUser.h"
#include "resources/StringIds.h"
#include "resources/WizardIds.h"

namespace updater::test {
namespace {

// The languages Updater.exe ships, each with its word for the wizard's Next button as Windows
// writes it there.
struct Language {
  LANGID id;
  const wchar_t* tag;
  const wchar_t* next;
};
constexpr Language kLanguages[] = {
    {kEnglishLanguage, L"en", L"Next"},
    {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), L"de", L"Weiter"},
};

// Texts that a language may leave as English writes them.
constexpr unsigned kMayStayEnglish[] = {IDS_OK, IDS_COLUMN_UPDATE, IDS_COLUMN_STATUS};

// The shipped executable, loaded for its resources only.
class ShippedResources {
 public:
  ShippedResources()
      : module_(LoadLibraryExW((ThisExecutableFolder() + L"\\..\\Updater.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) {}
  HMODULE Get() const { return module_.Get(); }
  std::wstring Text(unsigned id, LANGID language) const {
    return LoadResourceStringIn(module_.Get(), id, language);
  }

 private:
  ModuleHandle module_;
};

BOOL CALLBACK AddBlock(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR blocks) {
  if (IS_INTRESOURCE(name)) {
    reinterpret_cast<std::vector<unsigned>*>(blocks)->push_back(LOWORD(name));
  }
  return TRUE;
}

// Every id that any language's string table holds.
std::vector<unsigned> StringIds(const ShippedResources& resources) {
  std::vector<unsigned> blocks, ids;
  EnumResourceNamesW(resources.Get(), RT_STRING, &AddBlock, reinterpret_cast<LONG_PTR>(&blocks));
  for (const unsigned block : blocks) {
    for (unsigned id = (block - 1) * 16; id < block * 16; ++id) {
      for (const Language& language : kLanguages) {
        if (!resources.Text(id, language.id).empty()) {
          ids.push_back(id);
          break;
        }
      }
    }
  }
  return ids;
}

// What a translation must keep of the English text: its printf conversions ("%s", "%d", "%%")
// and its accelerator marks ("&"), each as often.
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
  const ShippedResources resources;
  ASSERT_NE(nullptr, resources.Get());
  std::vector<LANGID> shipped = ResourceLanguages(resources.Get()), listed;
  for (const Language& language : kLanguages) listed.push_back(language.id);
  std::sort(shipped.begin(), shipped.end());
  std::sort(listed.begin(), listed.end());
  EXPECT_EQ(listed, shipped) << "Updater.exe holds other languages than this test lists";

  const std::vector<unsigned> ids = StringIds(resources);
  ASSERT_GT(ids.size(), 100u);
  for (const Language& language : kLanguages) {
    for (const unsigned id : ids) {
      const std::wstring english = resources.Text(id, kEnglishLanguage);
      const std::wstring text = resources.Text(id, language.id);
      const std::string where = Narrow(language.tag) + " string " + std::to_string(id);
      ASSERT_FALSE(english.empty()) << where << " has no English text";
      EXPECT_FALSE(text.empty()) << where << " is missing";
      if (language.id != kEnglishLanguage &&
          std::find(std::begin(kMayStayEnglish), std::end(kMayStayEnglish), id) ==
              std::end(kMayStayEnglish)) {
        EXPECT_NE(english, text) << where << " is not translated";
      }
      EXPECT_EQ(KeptMarks(english), KeptMarks(text)) << where << ": " << Narrow(text);
    }
  }
}

std::wstring SheetButtonText(HWND sheet, int id) {
  wchar_t text[128] = {};
  SendMessageW(GetDlgItem(sheet, id), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text));
  return text;
}

// The wizard in the language the client configuration names, or, for a tag of a language not
// shipped, in the user's own. Its pages are screenshotted for a look at texts that do not fit.
TEST(LanguagesTest, WizardSpeaksTheConfiguredLanguageAndTheLogStaysEnglish) {
  const struct {
    const wchar_t* tag;
    const wchar_t* next;  // the Next button's literal text; none for the user's language
  } cases[] = {
      {L"de", L"Weiter"},
      {L"xx", nullptr},
  };
  const ShippedResources resources;
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.tag));
    const LANGID language =
        ChooseUiLanguage(c.tag, GetUserDefaultUILanguage(), ResourceLanguages(resources.Get()));
    const auto text = [&](unsigned id) { return resources.Text(id, language); };
    const auto title = [&](unsigned id) {
      return FormatText(text(IDS_TITLE_FOR_APP).c_str(), text(id).c_str(), L"Test App");
    };
    Scenario s;
    s.Configure(L"ApplicationName=Test App\r\nLanguage=" + std::wstring(c.tag) +
                    L"\r\nURL=" + s.Url(L"updates.ini") + L"\r\n",
                true);
    s.Publish(s.Section({L"Quick"}) + s.FaultySection({L"Paced"}, L"paced/400/"));
    WizardUser user;
    EXPECT_EQ(0u, s.Run(L"/checknow").exitCode) << "no copy started";
    ASSERT_TRUE(user.WaitForSheet(FormatText(text(IDS_FOUND_UPDATES_FOR).c_str(), L"Test App")))
        << Narrow(s.Log());
    if (c.next != nullptr) EXPECT_EQ(c.next, SheetButtonText(user.Sheet(), kNext));
    const std::pair<int, unsigned> buttons[] = {
        {kBack, IDS_BACK}, {kNext, IDS_NEXT}, {kFinish, IDS_FINISH}, {IDCANCEL, IDS_CANCEL}};
    for (const auto& [button, id] : buttons) {
      EXPECT_EQ(text(id), SheetButtonText(user.Sheet(), button)) << "button " << button;
    }
    EXPECT_EQ(text(IDS_ACTION_DOWNLOAD), user.Cell(IDC_SELECT_LIST, 0, 2));
    SaveScreenshot(L"wizard-select-" + std::wstring(c.tag));

    user.Press(kNext);
    EXPECT_TRUE(WaitUntil([&] { return !user.Text(IDC_PROGRESS_STATUS).empty(); }))
        << "no progress";
    EXPECT_EQ(title(IDS_INSTALLING_UPDATES), user.Title());
    SaveScreenshot(L"wizard-progress-" + std::wstring(c.tag));

    ASSERT_TRUE(WaitUntil([&] { return user.Control(IDC_SUMMARY_LIST) != nullptr; }, 60000))
        << "no summary";
    EXPECT_EQ(text(IDS_FINISH), SheetButtonText(user.Sheet(), kFinish));
    SaveScreenshot(L"wizard-summary-" + std::wstring(c.tag));
    user.Press(kFinish);
    EXPECT_TRUE(WaitUntil([&] { return Contains(s.Log(), L"Updater wizard ended. Return code: 0\r"); }))
        << Narrow(s.Log());
  }
}

}  // namespace
}  // namespace updater::test
