#pragma once

#include <cstdint>
#include <string>

#include "engine/SessionEvents.h"
#include "ui/WaitDialog.h"

namespace updater {

class UpdateSession;

// "Downloading (1.00 KB of 2.00 KB, 50% complete)".
std::wstring DownloadStatusText(std::uint64_t done, std::uint64_t total);
// "SHA256" or "MD5", the digest a check or a mismatch is about.
const wchar_t* DigestName(UpdateAction action);
const wchar_t* DigestName(ResultCode mismatch);

// The progress texts of a download and installation, shown through a progress window (the
// wizard's progress page or the reduced window): the download with sizes and percent, the
// integrity check, a corrupt file and the question whether to download it again, the update being
// installed, and failures as "Error: ...". Runs on the worker thread; the window shows the changes
// on its own.
class ProgressEvents : public SessionEvents {
 public:
  explicit ProgressEvents(WaitProgress& progress) : progress_(progress) {}

  void ActionBegun(UpdateAction action, std::uint32_t total, const std::wstring& text) override;
  void Advanced(std::uint32_t amount) override;
  bool IsCanceled() override { return progress_.IsCanceled(); }
  MismatchAnswer AnswerMismatch(ResultCode mismatch) override;
  void Failed(ResultCode code, const std::wstring& text) override;

 private:
  WaitProgress& progress_;
  bool downloading_ = false;
  std::uint64_t total_ = 0;
  std::uint64_t done_ = 0;
};

// The session's download and installation of its selected updates, reported through `progress`.
ResultCode DownloadAndInstallWith(UpdateSession& session, WaitProgress& progress,
                                  bool justDownload);

}  // namespace updater
