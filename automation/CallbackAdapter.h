#pragma once

#include "automation/ComObject.h"
#include "automation/TovanUpdater.h"
#include "engine/UpdaterCallback.h"

namespace updater {

// The engine's slot-ordered callback passed on to a client's ITovanUpdaterCallback: each action
// is registered with its step count just before it begins, and progress goes out as the position
// within the action rather than the engine's increments.
class CallbackAdapter : public UpdaterCallback {
 public:
  explicit CallbackAdapter(ITovanUpdaterCallback* client) : client_(client) {}

  void RegisterAction(std::int32_t actionId, std::int32_t actionCount) override;
  void BeginAction(std::int32_t actionId, std::uint32_t total, const wchar_t* text) override;
  void EndAction(std::int32_t actionId, ResultCode state) override;
  void Progress(std::uint32_t amount) override;
  // S_FALSE, or a true answer, cancels; a client that cannot be reached does not.
  bool IsCanceled() override;
  bool IsPaused() override { return false; }
  // Reports the code and declines whatever was asked (certificate, credentials, download again).
  ResultCode Error(const wchar_t* text, ResultCode code, void* handle) override;

 private:
  ITovanUpdaterCallback* client_;
  std::uint32_t total_ = 0;
  std::uint32_t position_ = 0;
};

}  // namespace updater
