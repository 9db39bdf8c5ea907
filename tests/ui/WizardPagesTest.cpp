#include "ui/WizardPages.h"

#include <gtest/gtest.h>

#include "ui/SelectLayout.h"
#include "ui/WizardButtons.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

TEST(WizardPagesTest, OnlyTheModesThatDoNotPreselectHaveAPageToChooseOn) {
  using P = WizardPageKind;
  struct Case { InstallMode mode; std::vector<P> pages; };
  const Case cases[] = {
      {InstallMode::CheckNow, {P::Select, P::Progress, P::Summary}},
      {InstallMode::Silent, {P::Choice, P::Select, P::Progress, P::Summary}},
      {InstallMode::SilentAll, {P::Progress, P::Summary}},
      {InstallMode::SilentCritical, {P::Progress, P::Summary}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.pages, WizardPages(c.mode)) << static_cast<int>(c.mode);
  }
}

TEST(WizardPagesTest, SelectPageIsSideBySideOnlyWithTheFlagOnALargeScreen) {
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

TEST(WizardPagesTest, GroupsOnlyWhenAnUpdateHasACategory) {
  UpdateInfo tools, plain, fonts, moreTools;
  tools.category = moreTools.category = L"Tools";
  fonts.category = L"Fonts";
  const RowGroups grouped = GroupRows({&tools, &plain, &fonts, &moreTools}, L"Test App");
  EXPECT_EQ((std::vector<std::wstring>{L"Tools", L"Test App", L"Fonts"}), grouped.names);
  EXPECT_EQ((std::vector<int>{0, 1, 2, 0}), grouped.groupOfRow);
  EXPECT_TRUE(GroupRows({&plain}, L"Test App").names.empty());
}

TEST(WizardPagesTest, ClassicWizardShowsFinishOnlyWhenItIsNotDisabled) {
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
