#include "service/ServerSlots.h"

#include <windows.h>

namespace updater {
namespace {

std::wstring SlotName(const std::wstring& owner, int slot) {
  return L"Global\\srvslot" + std::to_wstring(slot) + L"_" + owner;
}

}  // namespace

KernelHandle TakeServerSlot(const std::wstring& owner) {
  for (int slot = 0; slot < kMaxCommandServers; ++slot) {
    KernelHandle mutex(CreateMutexW(nullptr, TRUE, SlotName(owner, slot).c_str()));
    // A name that exists is a slot in use, whoever made it.
    if (mutex && GetLastError() != ERROR_ALREADY_EXISTS) return mutex;
  }
  return KernelHandle();
}

bool AllServerSlotsTaken(const std::wstring& owner) {
  for (int slot = 0; slot < kMaxCommandServers; ++slot) {
    const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, SlotName(owner, slot).c_str()));
    if (!mutex) return false;
  }
  return true;
}

}  // namespace updater
