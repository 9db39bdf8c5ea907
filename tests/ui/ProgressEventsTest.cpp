#include "ui/ProgressEvents.h"

#include <gtest/gtest.h>

#include <vector>

#include "ui/InstallSummary.h"
#include "ui/IconFile.h"
#include "ui/SizeText.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

// Records what a progress window would show; answers questions with `answer`.
class RecordedProgress : public WaitProgress {
 public:
  void SetStatus(const std::wstring& text) override { shown.push_back(text); }
  void SetTotal(std::uint64_t total) override { shown.push_back(L"total " + std::to_wstring(total)); }
  void Advance(std::uint64_t amount) override { shown.push_back(L"+" + std::to_wstring(amount)); }
  bool IsCanceled() const override { return false; }
  bool Ask(const ProgressMirror::Question&) override { return false; }
  bool AskYesNo(const std::wstring& question) override {
    shown.push_back(L"? " + question);
    return answer;
  }
  std::vector<std::wstring> shown;
  bool answer = false;
};

TEST(ProgressEventsTest, ShowsEachStepAsItsText) {
  using Shown = std::vector<std::wstring>;
  struct Case { const char* what; void (*report)(ProgressEvents&); bool answer; Shown shown; };
  const Case cases[] = {
      {"download", [](ProgressEvents& e) {
         e.ActionBegun(UpdateAction::DownloadFile, 2048, L"C:\\x.exe");
         e.Advanced(1024);
       }, false, {L"total 2048", L"Downloading (0 bytes of 2.00 KB, 0% complete)", L"+1024",
                  L"Downloading (1.00 KB of 2.00 KB, 50% complete)"}},
      {"integrity and install", [](ProgressEvents& e) {
         e.ActionBegun(UpdateAction::CheckMd5, 0, L"");
         e.ActionBegun(UpdateAction::InstallOne, 0, L"Fix 2");
         e.Advanced(5);  // not a download: no text
       }, false, {L"total 0", L"Checking integrity (MD5)...", L"total 0", L"Installing update Fix 2."}},
      {"corrupt, downloaded again", [](ProgressEvents& e) {
         EXPECT_EQ(MismatchAnswer::DownloadAgain, e.AnswerMismatch(kSha256Mismatch));
       }, true, {L"Error: Corrupt file (wrong SHA256 signature). File removed.",
                 L"? The file was corrupt (wrong SHA256 signature). Restart download?",
                 L"Download restarting..."}},
      {"corrupt, kept", [](ProgressEvents& e) {
         EXPECT_EQ(MismatchAnswer::Keep, e.AnswerMismatch(kMd5Mismatch));
       }, false, {L"Error: Corrupt file (wrong MD5 signature). File removed.",
                  L"? The file was corrupt (wrong MD5 signature). Restart download?"}},
      {"failure, cancel", [](ProgressEvents& e) {
         e.Failed(kCanceled, L"");
         e.Failed(kSizeMismatch, L"C:\\x.exe");
       }, false, {L"Error: The downloaded update size does not match the size specified in "
                  L"updates configuration file."}},
  };
  for (const Case& c : cases) {
    RecordedProgress progress;
    progress.answer = c.answer;
    ProgressEvents events(progress);
    c.report(events);
    EXPECT_EQ(c.shown, progress.shown) << c.what;
  }
}

TEST(ProgressEventsTest, SizesHaveThreeCutDigitsInTheUnitThatKeepsThemUnderAThousand) {
  const struct { std::uint64_t bytes; const wchar_t* number; unsigned unit; } cases[] = {
      {0, L"0", IDS_SIZE_BYTES},        {1023, L"1023", IDS_SIZE_BYTES},
      {1024, L"1,00", IDS_SIZE_KB},     {2047, L"1,99", IDS_SIZE_KB},
      {10 * 1024 + 1023, L"10,9", IDS_SIZE_KB}, {999 * 1024 + 1023, L"999", IDS_SIZE_KB},
      {1000 * 1024, L"0,97", IDS_SIZE_MB}, {5ull << 30, L"5,00", IDS_SIZE_GB},
      {~0ull, L"16777215", IDS_SIZE_TB},
  };
  for (const auto& c : cases) {
    const SizeFigure figure = ChooseSizeFigure(c.bytes, L",");
    EXPECT_EQ(c.number, figure.number) << c.bytes;
    EXPECT_EQ(c.unit, figure.unitId) << c.bytes;
  }
}

// System texts as Wine words them, without their line break.
TEST(ProgressEventsTest, SummaryMarksFailuresAndPrefixesOnlyTrueErrors) {
  struct Case { ResultCode result; bool failed; const wchar_t* status; };
  const Case cases[] = {
      {0, false, L"Success."},
      {1641, false, L"Reboot initiated after successful install."},
      {3010, false, L"Unknown error 3010 (0xBC2)"},
      {1602, true, L"Installation aborted by user."},
      {1223, true, L"Operation canceled by user."},
      {kMd5Mismatch, true, L"Error: Corrupt file (wrong MD5 signature). File removed."},
      {kSha256Mismatch, true, L"Error: Corrupt file (wrong SHA256 signature). File removed."},
      {kSizeMismatch, true, L"Error: The downloaded update size does not match the size specified "
                            L"in updates configuration file."},
      {5, true, L"Error: Access denied."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.failed, InstallFailed(c.result)) << c.result;
    EXPECT_EQ(c.status, SummaryStatusText(c.result)) << c.result;
  }
}

// The second update's installer never ran; the first's outcome decides what that means.
TEST(ProgressEventsTest, SummaryRowsWhoseInstallerNeverRanArePendingOrCanceled) {
  struct Case { ResultCode first; bool firstRan; const wchar_t* firstStatus; const wchar_t* second;
                bool failed; };
  const Case cases[] = {
      {kSuccess, true, L"Success.", L"Pending", false},
      {kSuccess, false, L"Pending", L"Pending", false},
      {kCanceled, false, L"Canceled", L"Canceled", true},
  };
  for (const Case& c : cases) {
    UpdateList list;
    list.updates.resize(2);
    for (UpdateInfo& update : list.updates) update.selectedForInstall = true;
    list.updates[0].state = c.first;
    list.updates[0].installerSucceeded = c.firstRan;
    const std::vector<SummaryRow> rows = SummaryRows(list);
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(c.firstStatus, rows[0].status) << c.first;
    EXPECT_EQ(c.second, rows[1].status) << c.first;
    EXPECT_EQ(c.failed, rows[1].failed) << c.first;
  }
}

TEST(ProgressEventsTest, CommandLinkIconsFollowTheScreenDpi) {
  struct Case { int dpi, pixels; };
  for (const Case& c : {Case{0, 24}, {96, 24}, {97, 32}, {120, 32}, {144, 32}, {145, 36},
                        {192, 48}, {288, 72}}) {
    EXPECT_EQ(c.pixels, CommandLinkIconSize(c.dpi)) << c.dpi;
  }
  // An .ico directory of 16, 48 and 32 pixel images, 10 bytes each after the directory.
  std::vector<std::uint8_t> file{0, 0, 1, 0, 3, 0};
  for (const std::uint8_t width : {16, 48, 32}) {
    const std::uint8_t entry[16] = {width, width, 0, 0, 1, 0, 32, 0, 10, 0, 0, 0,
                                    static_cast<std::uint8_t>(54 + 10 * (file.size() - 6) / 16)};
    file.insert(file.end(), entry, entry + 16);
  }
  file.resize(file.size() + 30);
  struct Pick { int pixels; std::size_t offset; };
  for (const Pick p : {Pick{32, 74}, {24, 74}, {16, 54}, {40, 64}, {64, 64}}) {
    const IconImage image = PickIconImage(file.data(), file.size(), p.pixels);
    EXPECT_EQ(p.offset, image.offset) << p.pixels;
    EXPECT_EQ(10u, image.length) << p.pixels;
  }
  file[4] = 9;  // more entries than the file holds
  EXPECT_EQ(0u, PickIconImage(file.data(), file.size(), 32).length);
}

}  // namespace
}  // namespace updater
