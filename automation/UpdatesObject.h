#pragma once

#include <memory>
#include <vector>

#include "automation/ComObject.h"
#include "automation/TovanUpdater.h"
#include "engine/UpdateSession.h"

namespace updater {

// The applicable updates one check found, in the order of the update configuration file, with
// the session that found them: downloads and installations of its entries run in that session.
class UpdatesObject : public DualObject<ITovanUpdates, IID_ITovanUpdates> {
 public:
  // `callback` (may be null) watches the downloads and installations.
  UpdatesObject(std::unique_ptr<UpdateSession> session, ITovanUpdaterCallback* callback);

  HRESULT STDMETHODCALLTYPE GetUpdateInfo(int index, ITovanUpdateInfo** updateInfo) override;
  HRESULT STDMETHODCALLTYPE DownloadUpdates(int* retCode) override;

  int Count() const { return static_cast<int>(entries_.size()); }
  int CountToDownload() const;
  // Runs the installer of one entry; its state becomes the result.
  ResultCode Install(UpdateInfo& update);

 private:
  // The session reports to the callback for the length of one call.
  class Watched;

  std::unique_ptr<UpdateSession> session_;
  ComRef<ITovanUpdaterCallback> callback_;
  std::vector<UpdateInfo*> entries_;
};

}  // namespace updater
