#pragma once

#include <windows.h>

#include "base/ResultCode.h"

namespace updater {

// Fills `bytes` from the system's cryptographic random source; 0, or the source's failure.
ResultCode FillRandom(void* bytes, ULONG size);

}  // namespace updater
