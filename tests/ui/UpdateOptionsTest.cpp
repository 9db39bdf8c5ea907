#include "ui/UpdateOptions.h"

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "ui/HyperlinkControl.h"

namespace updater {
namespace {

using Choice = AutoUpdateChoice;

// What the dialog shows for the stored values, which controls that choice enables, and what OK
// then writes with the frequency and the folder as typed (current: 3 days in C:\D).
TEST(UpdateOptionsTest, StoredPolicyShowsEnablesAndIsWrittenBack) {
  struct Case { bool hasPolicy; DWORD policy; bool noAutoCheck, noDisable; Choice shown;
                bool critical, noCheckEnabled, frequencyEnabled, kindEnabled; DWORD written; };
  const Case cases[] = {
      {true, 0, false, false, Choice::NoCheck, false, true, false, false, 0},
      {true, 1, true, false, Choice::Prompt, false, true, true, false, 1},
      {true, 2, false, false, Choice::Automatic, false, true, true, true, 2},
      {true, 3, false, false, Choice::Automatic, true, true, true, true, 3},
      {true, 7, false, false, Choice::Prompt, false, true, true, false, 1},  // /set ORed names
      {false, 0, false, false, Choice::Prompt, false, true, true, false, 1},
      {false, 0, true, false, Choice::NoCheck, false, true, false, false, 0},
      // Where checks may not be switched off, a stored 0 is neither shown nor written.
      {true, 0, false, true, Choice::Prompt, false, false, true, false, 1},
      {false, 0, true, true, Choice::Prompt, false, false, true, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "policy " << c.hasPolicy << "/" << c.policy << " noAuto "
                                    << c.noAutoCheck << " noDisable " << c.noDisable);
    UpdateOptions options;
    ShowStoredPolicy({c.hasPolicy, c.policy, c.noAutoCheck}, c.noDisable, &options);
    EXPECT_EQ(c.shown, options.choice);
    EXPECT_EQ(c.critical, options.criticalOnly);
    const OptionsEnabling enabling = EnablingFor(options.choice, c.noDisable, {});
    EXPECT_EQ(c.noCheckEnabled, enabling.noCheck);
    EXPECT_EQ(c.frequencyEnabled, enabling.frequency);
    EXPECT_EQ(c.kindEnabled, enabling.automaticKind);
    EXPECT_EQ(c.written, DecideOptionsChanges(options, 3, L"C:\\D", c.noDisable, {}).policy);
  }
  // A NoCheck the dialog could not offer is still not written under NoDisableAutoCheck.
  EXPECT_EQ(1u, DecideOptionsChanges({Choice::NoCheck, false, L"", L""}, 3, L"", true, {}).policy);
}

// What the administrator's policy fixes is shown, disabled and never written.
TEST(UpdateOptionsTest, LockedOptionsAreDisabledAndNotWritten) {
  struct Case { OptionsLocks locks; bool choices, noCheck, frequency, kind, writesPolicy, writesDays; };
  const Case cases[] = {
      {{false, false}, true, true, true, true, true, true},
      {{true, false}, false, false, true, false, false, true},
      {{false, true}, true, true, false, true, true, false},
      {{true, true}, false, false, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "locks " << c.locks.policy << c.locks.frequency);
    const OptionsEnabling enabling = EnablingFor(Choice::Automatic, false, c.locks);
    EXPECT_EQ(c.choices, enabling.choices);
    EXPECT_EQ(c.noCheck, enabling.noCheck);
    EXPECT_EQ(c.frequency, enabling.frequency);
    EXPECT_EQ(c.kind, enabling.automaticKind);
    const OptionsChanges changes =
        DecideOptionsChanges({Choice::Automatic, false, L"7", L""}, 3, L"C:\\D", false, c.locks);
    EXPECT_EQ(c.writesPolicy, changes.writesPolicy);
    EXPECT_EQ(c.writesDays, changes.frequencyChanged);
  }
}

TEST(UpdateOptionsTest, OnlyAChangedValidFrequencyAndAChangedFolderAreWritten) {
  struct Case { const wchar_t* frequency; const wchar_t* folder; int days; const wchar_t* saved; };
  const Case cases[] = {  // days -1: frequency unchanged; saved nullptr: folder unchanged
      {L"3", L"C:\\D", -1, nullptr},   {L"7", L"C:\\D", 7, nullptr},
      {L" 0 ", L"C:\\E", 0, L"C:\\E"}, {L"9999", L"", 9999, nullptr},
      {L"10000", L"c:\\d", -1, L"c:\\d"}, {L"", L"C:\\D", -1, nullptr},
      {L"-1", L"C:\\D", -1, nullptr},  {L"1e2", L"C:\\D", -1, nullptr},
  };
  for (const Case& c : cases) {
    const OptionsChanges changes =
        DecideOptionsChanges({Choice::Prompt, false, c.frequency, c.folder}, 3, L"C:\\D", false, {});
    EXPECT_EQ(c.days >= 0, changes.frequencyChanged) << test::Narrow(c.frequency);
    EXPECT_EQ(c.days >= 0 ? c.days : 0, changes.frequency) << test::Narrow(c.frequency);
    EXPECT_EQ(c.saved != nullptr, changes.folderChanged) << test::Narrow(c.folder);
    EXPECT_EQ(c.saved != nullptr ? c.saved : L"", changes.folder);
  }
}

TEST(HyperlinkTextTest, MarkupSplitsTheTextAndColoursParseAsRgb) {
  struct Split { const wchar_t* text; const wchar_t* before; const wchar_t* link; const wchar_t* after; };
  const Split splits[] = {
      {L"Configure Options", L"", L"Configure Options", L""},
      {L"See <A>options</A> here", L"See ", L"options", L" here"},
      {L"<a>all</a>", L"", L"all", L""},
      {L"open <A>to the end", L"open ", L"to the end", L""},
  };
  for (const Split& s : splits) {
    const LinkText parts = SplitLinkText(s.text);
    EXPECT_EQ(s.before + std::wstring(L"|") + s.link + L"|" + s.after,
              parts.before + L"|" + parts.link + L"|" + parts.after);
  }
  struct Colour { const wchar_t* text; bool parses; COLORREF colour; };
  const Colour colours[] = {
      {L"0,0,255", true, RGB(0, 0, 255)}, {L"128, 0 ,128", true, RGB(128, 0, 128)},
      {L"256,0,0", false, 0}, {L"1,2", false, 0}, {L"1,2,3,4", false, 0}, {L"", false, 0},
      {L"a,b,c", false, 0}, {L"0001,0,0", false, 0},
  };
  for (const Colour& c : colours) {
    COLORREF parsed = 0xFFFFFFFF;
    EXPECT_EQ(c.parses, ParseAnchorColour(c.text, &parsed)) << test::Narrow(c.text);
    EXPECT_EQ(c.parses ? c.colour : 0xFFFFFFFF, parsed) << test::Narrow(c.text);
  }
}

}  // namespace
}  // namespace updater
