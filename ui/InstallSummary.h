#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// Whether an installation result counts as failed: anything but success and the two
// restart-required successes (1641, 3010).
bool InstallFailed(ResultCode result);

// The Status column: the result's own text for a success, a cancel or a corrupt download,
// "Error: ..." for any other failure.
std::wstring SummaryStatusText(ResultCode result);

struct SummaryRow {
  std::wstring name;
  std::wstring status;
  bool failed = false;
};

// One row per update selected for install, in list order. A row whose installer never ran reads
// "Canceled" when the run was cancelled (a failure: Back lets the user choose again), else
// "Pending" (downloaded by a run that only downloads).
std::vector<SummaryRow> SummaryRows(const UpdateList& list);

}  // namespace updater
