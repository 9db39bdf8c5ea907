#pragma once

#include <cstdint>

#include "base/ResultCode.h"

namespace updater {

// The progress callback that automation clients implement, in its fixed slot order: the
// automation objects forward calls by slot, so neither the order nor the reserved slots may move.
// Answers are codes: see CallbackEvents for what each one means.
class UpdaterCallback {
 public:
  virtual ~UpdaterCallback() = default;
  virtual void Reserved1(std::uint32_t, std::uint32_t) {}
  virtual void RegisterAction(std::int32_t actionId, std::int32_t actionCount) = 0;
  // `text` may be null.
  virtual void BeginAction(std::int32_t actionId, std::uint32_t total, const wchar_t* text) = 0;
  virtual void Reserved2(std::uint32_t, std::uint32_t) {}
  virtual void EndAction(std::int32_t actionId, ResultCode state) = 0;
  virtual void Progress(std::uint32_t amount) = 0;
  virtual bool IsCanceled() = 0;
  virtual bool IsPaused() = 0;
  virtual ResultCode Error(const wchar_t* text, ResultCode code, void* handle) = 0;
  virtual void Reserved3(std::uint32_t, std::uint32_t, std::uint32_t) {}
};

}  // namespace updater
