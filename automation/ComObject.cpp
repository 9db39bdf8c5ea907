#include "automation/ComObject.h"

#include <objbase.h>

#include <atomic>

#include "automation/AutomationServer.h"
#include "base/ExecutablePath.h"

namespace updater {
namespace {

std::atomic<long> liveObjects{0};

}  // namespace

void HoldServerProcess() {
  ++liveObjects;
  CoAddRefServerProcess();
}

void ReleaseServerProcess() {
  --liveObjects;
  // At zero COM has suspended the class objects already; no new client can arrive.
  if (CoReleaseServerProcess() == 0) EndAutomationServer();
}

bool AnyObjectAlive() { return liveObjects.load() != 0; }

ComRef<ITypeInfo> AutomationTypeInfo(REFIID iid) {
  static ITypeLib* library = [] {
    ITypeLib* loaded = nullptr;
    return SUCCEEDED(LoadTypeLibEx(ThisExecutablePath().c_str(), REGKIND_NONE, &loaded))
               ? loaded
               : nullptr;
  }();
  ITypeInfo* info = nullptr;
  if (library == nullptr || FAILED(library->GetTypeInfoOfGuid(iid, &info))) return {};
  return ComRef<ITypeInfo>(info);
}

HRESULT CopyToBstr(const std::wstring& text, BSTR* out) {
  *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace updater
