#pragma once

#include <functional>

#include "automation/ComObject.h"
#include "automation/TovanUpdater.h"
#include "base/ResultCode.h"

namespace updater {

class ClientConfig;
struct RunContext;

// Runs `check` unless another updater works for the same application; then that one is told to
// come forward and the result is kAnotherInstance.
using CheckGuard = std::function<ResultCode(const std::function<ResultCode()>& check)>;

// What the objects of one server work with; it outlives them, since the server ends only after
// the last one is released.
struct AutomationContext {
  const ClientConfig& config;
  const RunContext& run;
  CheckGuard guard;
};

// The object a client creates: checks for updates and describes result codes.
class UpdaterObject : public DualObject<ITovanUpdater, IID_ITovanUpdater> {
 public:
  explicit UpdaterObject(const AutomationContext& context) : context_(context) {}

  HRESULT STDMETHODCALLTYPE RegisterCallback(ITovanUpdaterCallback* callback) override;
  HRESULT STDMETHODCALLTYPE CheckForUpdates(int* updatesCount, int* updatesToDownloadCount,
                                            int* retCode, ITovanUpdates** updatesInfo) override;
  HRESULT STDMETHODCALLTYPE GetErrorDescription(int retCode, BSTR* description) override;

 private:
  const AutomationContext& context_;
  ComRef<ITovanUpdaterCallback> callback_;
};

}  // namespace updater
