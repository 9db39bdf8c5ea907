#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

#include "base/UniqueHandle.h"

namespace updater {

// A counted reference to a COM interface; taking a borrowed pointer is an explicit AddRef.
template <typename Interface>
using ComRef = CountedRef<Interface>;

template <typename Interface>
ComRef<Interface> AddRefTo(Interface* borrowed) {
  if (borrowed != nullptr) borrowed->AddRef();
  return ComRef<Interface>(borrowed);
}

// Every object the server hands out holds the server process: the last one released ends it.
void HoldServerProcess();
void ReleaseServerProcess();

// Whether an object handed out is still held; a server without any ends when idle.
bool AnyObjectAlive();

// The description of `iid` in the type library this executable carries; null when it cannot be
// loaded. The library is loaded once and kept for the process.
ComRef<ITypeInfo> AutomationTypeInfo(REFIID iid);

// DispInvoke for script clients, which cannot pass [out] parameters as a method declares them:
// JScript passes none (each missing one gets a place of its own, its value dropped), VBScript a
// variant by reference (which receives the value).
HRESULT InvokeForScripts(IUnknown* object, ITypeInfo* typeInfo, DISPID id, WORD flags,
                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                         UINT* argumentError);

// IUnknown and IDispatch of a dual interface `Interface` (whose id is `Iid`), dispatched through
// the type library. `Derived` implements the interface's own methods.
template <typename Interface, const IID& Iid>
class DualObject : public Interface {
 public:
  DualObject() { HoldServerProcess(); }
  virtual ~DualObject() { ReleaseServerProcess(); }
  DualObject(const DualObject&) = delete;
  DualObject& operator=(const DualObject&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) ||
        IsEqualIID(riid, Iid)) {
      *object = static_cast<Interface*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
  }

  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count == nullptr) return E_INVALIDARG;
    *count = 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (info == nullptr) return E_INVALIDARG;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    ComRef<ITypeInfo> typeInfo = AutomationTypeInfo(Iid);
    if (!typeInfo) return TYPE_E_CANTLOADLIBRARY;
    *info = typeInfo.Release();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID,
                                          DISPID* ids) override {
    const ComRef<ITypeInfo> typeInfo = AutomationTypeInfo(Iid);
    if (!typeInfo) return TYPE_E_CANTLOADLIBRARY;
    return DispGetIDsOfNames(typeInfo.Get(), names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params,
                                   VARIANT* result, EXCEPINFO* exception,
                                   UINT* argumentError) override {
    const ComRef<ITypeInfo> typeInfo = AutomationTypeInfo(Iid);
    if (!typeInfo) return TYPE_E_CANTLOADLIBRARY;
    return InvokeForScripts(static_cast<Interface*>(this), typeInfo.Get(), id, flags, params,
                            result, exception, argumentError);
  }

 private:
  ULONG references_ = 1;
};

// A new BSTR of `text` in `*out`; E_OUTOFMEMORY when it cannot be allocated.
HRESULT CopyToBstr(const std::wstring& text, BSTR* out);

}  // namespace updater
