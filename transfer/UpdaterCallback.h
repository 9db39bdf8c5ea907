#pragma once

#include <cstdint>

#include "app/ResultCode.h"

namespace updater {

// Action ids reported through UpdaterCallback.
constexpr std::int32_t kActionDownloadBatch = 101;
constexpr std::int32_t kActionDownloadFile = 1;
constexpr std::int32_t kActionCheckMd5 = 102;
constexpr std::int32_t kActionCheckSha256 = 105;
constexpr std::int32_t kActionInstallBatch = 3;
constexpr std::int32_t kActionInstallOne = 2;
constexpr std::int32_t kActionInstallStep = 103;

// What a long operation reports and asks while it runs. The wizard, the silent modes and the
// automation objects implement it; the downloader, the checks and the installer launch call it.
// The slot order is fixed, since the automation interface forwards calls by slot.
class UpdaterCallback {
 public:
  virtual ~UpdaterCallback() = default;
  // Slot kept for the automation layout; nothing here calls it.
  virtual void Reserved1(std::uint32_t, std::uint32_t) {}
  virtual void RegisterAction(std::int32_t actionId, std::int32_t actionCount) = 0;
  // `text` may be null.
  virtual void BeginAction(std::int32_t actionId, std::uint32_t total, const wchar_t* text) = 0;
  // Slot kept for the automation layout; nothing here calls it.
  virtual void Reserved2(std::uint32_t, std::uint32_t) {}
  virtual void EndAction(std::int32_t actionId, ResultCode state) = 0;
  // `amount` is added to the progress of the current action.
  virtual void Progress(std::uint32_t amount) = 0;
  virtual bool IsCanceled() = 0;
  virtual bool IsPaused() = 0;
  // Shows or records a failure. The answer matters after a certificate error (0: send again) and
  // when credentials are needed (1237, ERROR_RETRY: the user entered some); `handle` is then the
  // request handle or the CredentialProvider.
  virtual ResultCode Error(const wchar_t* text, ResultCode code, void* handle) = 0;
  // Slot kept for the automation layout; nothing here calls it.
  virtual void Reserved3(std::uint32_t, std::uint32_t, std::uint32_t) {}
};

}  // namespace updater
