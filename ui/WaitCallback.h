#pragma once

#include <cstdint>

#include "transfer/UpdaterCallback.h"
#include "ui/WaitDialog.h"

namespace updater {

// Lets a check or a download report through the wait window: an action's text becomes the
// status, its total the bar's range, and Cancel in the window cancels the operation.
class WaitCallback : public UpdaterCallback {
 public:
  explicit WaitCallback(WaitProgress& progress) : progress_(progress) {}

  void RegisterAction(std::int32_t, std::int32_t) override {}
  void BeginAction(std::int32_t actionId, std::uint32_t total, const wchar_t* text) override;
  void EndAction(std::int32_t, ResultCode) override {}
  void Progress(std::uint32_t amount) override { progress_.Advance(amount); }
  bool IsCanceled() override { return progress_.IsCanceled(); }
  bool IsPaused() override { return false; }
  // The driver shows failures after the window has closed; nothing is asked here.
  ResultCode Error(const wchar_t*, ResultCode, void*) override { return 0; }

 private:
  WaitProgress& progress_;
};

}  // namespace updater
