#pragma once

#include <windows.h>

namespace updater {

// Whether a connection cost (NLM_CONNECTION_COST_* flags) is metered: charged by the amount
// (fixed or variable), over its data limit, or roaming.
bool IsMeteredCost(DWORD cost);

// Whether the machine's connection to the internet is metered, as the Network List Manager
// tells. Where it cannot tell (no such interface, COM not started, a failed call) the link counts
// as not metered, so that downloads are never held back for lack of an answer. Needs COM on the
// calling thread.
bool IsConnectionMetered();

}  // namespace updater
