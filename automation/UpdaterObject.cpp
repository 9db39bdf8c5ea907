#include "automation/UpdaterObject.h"

#include <memory>

#include "automation/UpdatesObject.h"
#include "base/ResultText.h"
#include "engine/UpdateSession.h"

namespace updater {

HRESULT UpdaterObject::RegisterCallback(ITovanUpdaterCallback* callback) {
  if (callback == nullptr) return E_FAIL;
  callback_ = AddRefTo(callback);
  return S_OK;
}

HRESULT UpdaterObject::CheckForUpdates(int* updatesCount, int* updatesToDownloadCount,
                                       int* retCode, ITovanUpdates** updatesInfo) {
  if (updatesCount == nullptr || updatesToDownloadCount == nullptr || retCode == nullptr ||
      updatesInfo == nullptr) {
    return E_INVALIDARG;
  }
  // Every out value is written on every path: marshaling sends back (and a client may release)
  // whatever they hold.
  *updatesCount = 0;
  *updatesToDownloadCount = 0;
  *updatesInfo = nullptr;
  auto session = std::make_unique<UpdateSession>(context_.config, context_.run, nullptr);
  AvailabilityCount counts;
  const auto check = [&] { return session->Check(&counts); };
  const ResultCode checked = context_.guard ? context_.guard(check) : check();
  *retCode = static_cast<int>(checked);
  if (checked != kSuccess) return S_OK;

  auto* list = new UpdatesObject(std::move(session), callback_.Get());
  *updatesCount = list->Count();
  *updatesToDownloadCount = list->CountToDownload();
  const HRESULT queried = list->QueryInterface(IID_ITovanUpdates, reinterpret_cast<void**>(updatesInfo));
  list->Release();
  return queried;
}

HRESULT UpdaterObject::GetErrorDescription(int retCode, BSTR* description) {
  if (description == nullptr) return E_FAIL;
  return CopyToBstr(ResultText(static_cast<ResultCode>(retCode)), description);
}

}  // namespace updater
