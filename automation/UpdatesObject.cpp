#include "automation/UpdatesObject.h"

#include "automation/ClientEvents.h"
#include "automation/UpdateInfoObject.h"

namespace updater {

class UpdatesObject::Watched {
 public:
  explicit Watched(UpdatesObject& list) : session_(*list.session_) {
    if (list.callback_) events_ = std::make_unique<ClientEvents>(list.callback_.Get());
    session_.SetEvents(events_.get());
  }
  ~Watched() { session_.SetEvents(nullptr); }
  Watched(const Watched&) = delete;
  Watched& operator=(const Watched&) = delete;

 private:
  UpdateSession& session_;
  std::unique_ptr<ClientEvents> events_;
};

UpdatesObject::UpdatesObject(std::unique_ptr<UpdateSession> session,
                             ITovanUpdaterCallback* callback)
    : session_(std::move(session)), callback_(AddRefTo(callback)) {
  for (UpdateInfo& update : session_->Updates().updates) {
    // Evaluated means needed: the check evaluates only the updates that apply here.
    if (update.evaluated) entries_.push_back(&update);
  }
}

int UpdatesObject::CountToDownload() const {
  int count = 0;
  for (const UpdateInfo* update : entries_) {
    if (session_->DownloadStateOf(*update) == DownloadState::ToDownload) ++count;
  }
  return count;
}

HRESULT UpdatesObject::GetUpdateInfo(int index, ITovanUpdateInfo** updateInfo) {
  if (updateInfo == nullptr) return E_FAIL;
  *updateInfo = nullptr;
  if (index < 0 || index >= Count()) return E_FAIL;
  *updateInfo = new UpdateInfoObject(*this, *entries_[static_cast<size_t>(index)]);
  return S_OK;
}

HRESULT UpdatesObject::DownloadUpdates(int* retCode) {
  if (retCode == nullptr) return E_FAIL;
  *retCode = 0;
  bool anyToDownload = false;
  for (const UpdateInfo* update : entries_) {
    anyToDownload = anyToDownload || (update->selectedForInstall &&
                                      session_->DownloadStateOf(*update) == DownloadState::ToDownload);
  }
  if (!anyToDownload) return S_OK;
  Watched watched(*this);
  *retCode = static_cast<int>(session_->Download());
  return S_OK;
}

ResultCode UpdatesObject::Install(UpdateInfo& update) {
  Watched watched(*this);
  return session_->InstallOne(update);
}

}  // namespace updater
