#pragma once

#include "automation/ComObject.h"
#include "automation/TovanUpdater.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

class UpdatesObject;

// One entry of an UpdatesObject, which it keeps alive (its record lives in that list).
class UpdateInfoObject : public DualObject<ITovanUpdateInfo, IID_ITovanUpdateInfo> {
 public:
  UpdateInfoObject(UpdatesObject& list, UpdateInfo& update);
  ~UpdateInfoObject() override;

  HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE GetDisplayName(BSTR* name) override;
  HRESULT STDMETHODCALLTYPE GetVersion(BSTR* version) override;
  HRESULT STDMETHODCALLTYPE GetSize(int* size) override;
  HRESULT STDMETHODCALLTYPE GetBasicInfo(BSTR* name, BSTR* version, int* size) override;
  HRESULT STDMETHODCALLTYPE SelectForInstall(char select) override;
  HRESULT STDMETHODCALLTYPE GetState(int* state) override;
  HRESULT STDMETHODCALLTYPE ClearState() override;
  HRESULT STDMETHODCALLTYPE LaunchInstaller(int* retCode) override;

 private:
  UpdatesObject& list_;
  UpdateInfo& update_;
};

}  // namespace updater
