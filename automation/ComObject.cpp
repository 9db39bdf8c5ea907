#include "automation/ComObject.h"

#include <objbase.h>

#include <atomic>
#include <vector>

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

namespace {

// The description of method `id`; null when there is none.
FUNCDESC* FindMethod(ITypeInfo* typeInfo, DISPID id) {
  TYPEATTR* attributes = nullptr;
  if (FAILED(typeInfo->GetTypeAttr(&attributes))) return nullptr;
  const WORD count = attributes->cFuncs;
  typeInfo->ReleaseTypeAttr(attributes);
  for (UINT index = 0; index < count; ++index) {
    FUNCDESC* desc = nullptr;
    if (FAILED(typeInfo->GetFuncDesc(index, &desc))) continue;
    if (desc->memid == id && desc->invkind == INVOKE_FUNC) return desc;
    typeInfo->ReleaseFuncDesc(desc);
  }
  return nullptr;
}

// The variant type a place for `param` takes: oleaut32 passes int as a 32-bit integer.
VARTYPE PlaceType(const ELEMDESC& param) {
  const VARTYPE vt = param.tdesc.lptdesc->vt;
  if (vt == VT_INT) return VT_I4;
  return vt == VT_UINT ? static_cast<VARTYPE>(VT_UI4) : vt;
}

bool IsOutOnly(const ELEMDESC& param) {
  const USHORT flags = param.paramdesc.wParamFlags;
  return (flags & PARAMFLAG_FOUT) != 0 && (flags & (PARAMFLAG_FIN | PARAMFLAG_FRETVAL)) == 0 &&
         param.tdesc.vt == VT_PTR && param.tdesc.lptdesc->vt != VT_PTR;
}

}  // namespace

HRESULT InvokeForScripts(IUnknown* object, ITypeInfo* typeInfo, DISPID id, WORD flags,
                         DISPPARAMS* params, VARIANT* result, EXCEPINFO* exception,
                         UINT* argumentError) {
  FUNCDESC* method = (flags & DISPATCH_METHOD) != 0 && params != nullptr && params->cNamedArgs == 0
                         ? FindMethod(typeInfo, id)
                         : nullptr;
  if (method == nullptr) {
    return DispInvoke(object, typeInfo, id, flags, params, result, exception, argumentError);
  }
  // Arguments come last first.
  const UINT given = params->cArgs;
  UINT declared = 0;
  while (declared < static_cast<UINT>(method->cParams) &&
         (method->lprgelemdescParam[declared].paramdesc.wParamFlags & PARAMFLAG_FRETVAL) == 0) {
    ++declared;
  }
  std::vector<VARIANT> places(declared);
  std::vector<VARIANTARG> arguments(declared);
  std::vector<VARIANT*> receivers(declared, nullptr);
  bool adapted = given < declared;
  bool inputMissing = false;
  for (UINT i = 0; i < declared && given <= declared; ++i) {
    VARIANTARG& argument = arguments[declared - 1 - i];
    VARIANTARG* passed = i < given ? &params->rgvarg[given - 1 - i] : nullptr;
    const ELEMDESC& param = method->lprgelemdescParam[i];
    if (passed != nullptr && !(IsOutOnly(param) && V_VT(passed) == (VT_BYREF | VT_VARIANT))) {
      argument = *passed;
      continue;
    }
    if (!IsOutOnly(param)) {
      inputMissing = true;
      break;
    }
    adapted = true;
    V_VT(&places[i]) = PlaceType(param);
    V_VT(&argument) = VT_BYREF | PlaceType(param);
    V_BYREF(&argument) = &V_I4(&places[i]);  // every scalar of the union starts here
    if (passed != nullptr) receivers[i] = V_VARIANTREF(passed);
  }
  typeInfo->ReleaseFuncDesc(method);
  if (!adapted || inputMissing || given > declared) {
    return DispInvoke(object, typeInfo, id, flags, params, result, exception, argumentError);
  }
  DISPPARAMS filled = {arguments.data(), nullptr, declared, 0};
  const HRESULT invoked =
      DispInvoke(object, typeInfo, id, flags, &filled, result, exception, argumentError);
  for (UINT i = 0; i < declared; ++i) {
    if (receivers[i] != nullptr && SUCCEEDED(invoked)) {
      VariantClear(receivers[i]);
      *receivers[i] = places[i];
    } else {
      VariantClear(&places[i]);
    }
  }
  return invoked;
}

HRESULT CopyToBstr(const std::wstring& text, BSTR* out) {
  *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
  return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

}  // namespace updater
