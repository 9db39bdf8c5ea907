#pragma once

#include <windows.h>
#include <unknwn.h>

#include "automation/UpdaterObject.h"

namespace updater {

// Creates the UpdaterObject of each client; registered by the server, owned by COM meanwhile.
class ClassFactory : public IClassFactory {
 public:
  explicit ClassFactory(const AutomationContext& context) : context_(context) {}
  ClassFactory(const ClassFactory&) = delete;
  ClassFactory& operator=(const ClassFactory&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

 private:
  virtual ~ClassFactory() = default;

  const AutomationContext& context_;
  ULONG references_ = 1;
};

}  // namespace updater
