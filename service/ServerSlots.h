#pragma once

#include <string>

#include "base/UniqueHandle.h"

namespace updater {

// Command servers of one installed updater that may run at a time. Any user may start the
// service, and each start leaves a server of the service's account waiting for its client.
constexpr int kMaxCommandServers = 4;

// One of the slots, held for the life of the returned mutex (or of its process: a server that
// dies leaves its mutex abandoned, and the slot is free once nobody holds it); empty when every
// slot is held. `owner` names the installed updater (its base name).
KernelHandle TakeServerSlot(const std::wstring& owner);

// Whether every slot of `owner` is held now.
bool AllServerSlotsTaken(const std::wstring& owner);

}  // namespace updater
