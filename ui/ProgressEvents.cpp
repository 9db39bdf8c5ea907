#include "ui/ProgressEvents.h"

#include "base/ResultText.h"
#include "engine/UpdateSession.h"
#include "resources/StringIds.h"
#include "ui/SizeText.h"

namespace updater {

std::wstring DownloadStatusText(std::uint64_t done, std::uint64_t total) {
  const std::uint64_t shown = done > total ? total : done;
  const int percent = total == 0 ? 0 : static_cast<int>(shown * 100 / total);
  return FormatText(LoadResourceString(IDS_DOWNLOADING_PROGRESS).c_str(), SizeText(shown).c_str(),
                    SizeText(total).c_str(), percent);
}

const wchar_t* DigestName(UpdateAction action) {
  return action == UpdateAction::CheckMd5 ? L"MD5" : L"SHA256";
}

const wchar_t* DigestName(ResultCode mismatch) {
  return mismatch == kMd5Mismatch ? L"MD5" : L"SHA256";
}

void ProgressEvents::ActionBegun(UpdateAction action, std::uint32_t total,
                                 const std::wstring& text) {
  downloading_ = action == UpdateAction::DownloadFile;
  switch (action) {
    case UpdateAction::DownloadFile:
      total_ = total;
      done_ = 0;
      progress_.SetTotal(total);
      progress_.SetStatus(DownloadStatusText(0, total));
      return;
    case UpdateAction::CheckMd5:
    case UpdateAction::CheckSha256:
      progress_.SetTotal(0);
      progress_.SetStatus(FormatText(LoadResourceString(IDS_CHECKING_INTEGRITY).c_str(),
                                     DigestName(action)));
      return;
    case UpdateAction::InstallOne:
      progress_.SetTotal(0);
      progress_.SetStatus(FormatText(LoadResourceString(IDS_INSTALLING_UPDATE).c_str(),
                                     text.c_str()));
      return;
    default:
      return;
  }
}

void ProgressEvents::Advanced(std::uint32_t amount) {
  if (!downloading_) return;
  done_ += amount;
  progress_.Advance(amount);
  progress_.SetStatus(DownloadStatusText(done_, total_));
}

MismatchAnswer ProgressEvents::AnswerMismatch(ResultCode mismatch) {
  const wchar_t* digest = DigestName(mismatch);
  progress_.SetStatus(FormatText(LoadResourceString(IDS_CORRUPT_FILE).c_str(), digest));
  if (!progress_.AskYesNo(FormatText(LoadResourceString(IDS_CORRUPT_FILE_RESTART).c_str(), digest))) {
    return MismatchAnswer::Keep;
  }
  progress_.SetStatus(LoadResourceString(IDS_DOWNLOAD_RESTARTING));
  return MismatchAnswer::DownloadAgain;
}

void ProgressEvents::Failed(ResultCode code, const std::wstring&) {
  if (code == kCanceled) return;
  progress_.SetStatus(FormatText(LoadResourceString(IDS_ERROR_FORMAT).c_str(),
                                 UserResultText(code).c_str()));
}

ResultCode DownloadAndInstallWith(UpdateSession& session, WaitProgress& progress,
                                  bool justDownload) {
  ProgressEvents events(progress);
  session.SetEvents(&events);
  const ResultCode result = session.DownloadAndInstall(justDownload);
  session.SetEvents(nullptr);
  return result;
}

}  // namespace updater
