#include "ui/InstallSummary.h"

#include "base/ResultText.h"
#include "resources/StringIds.h"

namespace updater {
namespace {

constexpr ResultCode kRestartInitiated = 1641;  // ERROR_SUCCESS_REBOOT_INITIATED
constexpr ResultCode kRestartRequired = 3010;   // ERROR_SUCCESS_REBOOT_REQUIRED

}  // namespace

bool InstallFailed(ResultCode result) {
  return result != kSuccess && result != kRestartInitiated && result != kRestartRequired;
}

std::wstring SummaryStatusText(ResultCode result) {
  // System texts end with a line break, which a list cell would show.
  std::wstring text = UserResultText(result);
  text.erase(text.find_last_not_of(L"\r\n ") + 1);
  const bool shownPlain = !InstallFailed(result) || result == kInstallUserExit ||
                          result == kUserCanceled || result == kMd5Mismatch ||
                          result == kSha256Mismatch;
  if (shownPlain) return text;
  return FormatText(LoadResourceString(IDS_ERROR_FORMAT).c_str(), text.c_str());
}

std::vector<SummaryRow> SummaryRows(const UpdateList& list) {
  // A cancelled download leaves its own state; the updates after it keep 0, as if installed.
  bool canceled = false;
  for (const UpdateInfo& update : list.updates) {
    canceled = canceled || (update.selectedForInstall && update.state == kCanceled);
  }
  std::vector<SummaryRow> rows;
  for (const UpdateInfo& update : list.updates) {
    if (!update.selectedForInstall) continue;
    const bool notRun = update.state == kSuccess && !update.installerSucceeded;
    if (update.state == kCanceled || (notRun && canceled)) {
      rows.push_back({update.name, LoadResourceString(IDS_STATE_CANCELED), true});
    } else if (notRun) {
      rows.push_back({update.name, LoadResourceString(IDS_STATE_PENDING), false});
    } else {
      rows.push_back({update.name, SummaryStatusText(update.state), InstallFailed(update.state)});
    }
  }
  return rows;
}

}  // namespace updater
