#include "ui/WizardPlan.h"

#include <gtest/gtest.h>

#include "ui/SelectLayout.h"
#include "ui/WizardButtons.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

TEST(WizardPlanTest, PagesAndPreselectionFollowTheModeAndThePolicy) {
  using P = WizardPageKind;
  struct Case { WizardKind kind; bool hasPolicy; DWORD policy; std::vector<P> pages;
                Preselection preselection; WizardKind after; };
  const std::vector<P> chosen{P::Select, P::Progress, P::Summary};
  const std::vector<P> offered{P::Choice, P::Select, P::Progress, P::Summary};
  const std::vector<P> automatic{P::Progress, P::Summary};
  const Case cases[] = {
      {WizardKind::CheckNow, true, 2, chosen, Preselection::None, WizardKind::CheckNow},
      {WizardKind::Silent, false, 0, offered, Preselection::None, WizardKind::Silent},
      {WizardKind::Silent, true, 0, offered, Preselection::None, WizardKind::Silent},
      {WizardKind::Silent, true, 1, offered, Preselection::None, WizardKind::Silent},
      {WizardKind::Silent, true, 2, automatic, Preselection::All, WizardKind::SilentAll},
      {WizardKind::Silent, true, 3, automatic, Preselection::CriticalOnly, WizardKind::SilentCritical},
      {WizardKind::SilentAll, true, 3, automatic, Preselection::All, WizardKind::SilentAll},
      {WizardKind::SilentCritical, false, 0, automatic, Preselection::CriticalOnly,
       WizardKind::SilentCritical},
  };
  for (const Case& c : cases) {
    const WizardPlan plan = PlanWizard(c.kind, c.hasPolicy, c.policy);
    const std::string name = std::to_string(static_cast<int>(c.kind)) + " policy " +
                             (c.hasPolicy ? std::to_string(c.policy) : "none");
    EXPECT_EQ(c.pages, plan.pages) << name;
    EXPECT_EQ(c.preselection, plan.preselection) << name;
    EXPECT_EQ(c.after, plan.kind) << name;
    EXPECT_EQ(c.pages == automatic, plan.startMinimized) << name;
  }
}

TEST(WizardPlanTest, SelectPageIsSideBySideOnlyWithTheFlagOnALargeScreen) {
  struct Case { bool flag; int width, height, rows; bool sideBySide, listHidden; unsigned header; };
  const Case cases[] = {
      {true, 1024, 768, 2, true, false, IDS_CHOOSE_UPDATES},
      {true, 1023, 768, 2, false, false, IDS_CHOOSE_UPDATES},
      {true, 1024, 767, 1, false, true, IDS_UPDATE_SUMMARY},
      {false, 1920, 1080, 1, false, true, IDS_UPDATE_SUMMARY},
      {true, 1920, 1080, 1, true, false, IDS_CHOOSE_UPDATES},
  };
  for (const Case& c : cases) {
    const SelectLayout layout = ChooseSelectLayout(c.flag, c.width, c.height, c.rows);
    EXPECT_EQ(c.sideBySide, layout.sideBySide) << c.width << "x" << c.height;
    EXPECT_EQ(c.listHidden, layout.listHidden) << c.width << "x" << c.height << " " << c.rows;
    EXPECT_EQ(c.header, layout.headerId) << c.rows;
  }
  // The splitter keeps both panes visible wherever it is dragged.
  const SelectLayout stacked = ChooseSelectLayout(false, 800, 600, 2);
  const RECT client{0, 0, 400, 300};
  for (const int split : {-50, 0, 120, 299, 5000}) {
    const SelectPanes panes = SplitPanes(client, stacked, split);
    EXPECT_GE(panes.list.bottom - panes.list.top, 40) << split;
    EXPECT_GE(panes.description.bottom - panes.description.top, 40) << split;
    EXPECT_EQ(panes.splitter.bottom, panes.description.top) << split;
  }
}

TEST(WizardPlanTest, GroupsOnlyWhenAnUpdateHasACategory) {
  UpdateInfo tools, plain, fonts, moreTools;
  tools.category = moreTools.category = L"Tools";
  fonts.category = L"Fonts";
  const RowGroups grouped = GroupRows({&tools, &plain, &fonts, &moreTools}, L"Test App");
  EXPECT_EQ((std::vector<std::wstring>{L"Tools", L"Test App", L"Fonts"}), grouped.names);
  EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), grouped.groupOfRow);
  EXPECT_TRUE(GroupRows({&plain}, L"Test App").names.empty());
}

TEST(WizardPlanTest, ClassicWizardShowsFinishOnlyWhenItIsNotDisabled) {
  struct Case { DWORD flags, mask; const char* visible; const char* inMask; };
  const Case cases[] = {
      {kButtonBack | kButtonNext | kButtonDisabledFinish | kButtonCancel, 0x17, "1101", "1111"},
      {kButtonFinish, kButtonNext | kButtonFinish | kButtonCancel, "0010", "0111"},
      {kButtonBack | kButtonFinish, 0x17, "1010", "1111"},
  };
  for (const Case& c : cases) {
    const ButtonVisibility shown = ClassicVisibility(c.flags, c.mask);
    std::string visible, inMask;
    for (int i = 0; i < 4; ++i) {
      visible += shown.visible[i] ? '1' : '0';
      inMask += shown.inMask[i] ? '1' : '0';
    }
    EXPECT_EQ(c.visible, visible) << c.flags;
    EXPECT_EQ(c.inMask, inMask) << c.flags;
  }
}

}  // namespace
}  // namespace updater
