#include "base/SystemRandom.h"

#include <bcrypt.h>

namespace updater {

ResultCode FillRandom(void* bytes, ULONG size) {
  const NTSTATUS status = BCryptGenRandom(nullptr, static_cast<UCHAR*>(bytes), size,
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG);
  return BCRYPT_SUCCESS(status) ? kSuccess : static_cast<ResultCode>(status);
}

}  // namespace updater
