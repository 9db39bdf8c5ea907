#include "automation/ClassFactory.h"

namespace updater {

HRESULT ClassFactory::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
    *object = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG ClassFactory::Release() {
  const ULONG left = --references_;
  if (left == 0) delete this;
  return left;
}

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  *object = nullptr;
  if (outer != nullptr) return CLASS_E_NOAGGREGATION;
  auto* updater = new UpdaterObject(context_);
  const HRESULT queried = updater->QueryInterface(riid, object);
  updater->Release();
  return queried;
}

HRESULT ClassFactory::LockServer(BOOL lock) {
  if (lock) {
    HoldServerProcess();
  } else {
    ReleaseServerProcess();
  }
  return S_OK;
}

}  // namespace updater
