#include "automation/UpdateInfoObject.h"

#include "automation/UpdatesObject.h"

namespace updater {

UpdateInfoObject::UpdateInfoObject(UpdatesObject& list, UpdateInfo& update)
    : list_(list), update_(update) {
  list_.AddRef();
}

UpdateInfoObject::~UpdateInfoObject() { list_.Release(); }

HRESULT UpdateInfoObject::GetName(BSTR* name) {
  return name == nullptr ? E_FAIL : CopyToBstr(update_.sectionName, name);
}

HRESULT UpdateInfoObject::GetDisplayName(BSTR* name) {
  return name == nullptr ? E_FAIL : CopyToBstr(update_.name, name);
}

HRESULT UpdateInfoObject::GetVersion(BSTR* version) {
  return version == nullptr ? E_FAIL : CopyToBstr(update_.version.ToString(), version);
}

HRESULT UpdateInfoObject::GetSize(int* size) {
  if (size == nullptr) return E_FAIL;
  *size = update_.size;
  return S_OK;
}

HRESULT UpdateInfoObject::GetBasicInfo(BSTR* name, BSTR* version, int* size) {
  if (name != nullptr) *name = nullptr;
  if (version != nullptr) *version = nullptr;
  if (size != nullptr) *size = 0;
  HRESULT result = GetDisplayName(name);
  if (SUCCEEDED(result)) result = GetVersion(version);
  if (SUCCEEDED(result)) result = GetSize(size);
  if (FAILED(result)) {
    // Nothing half-filled goes back: marshaling would hand the caller strings it never frees.
    for (BSTR* text : {name, version}) {
      if (text == nullptr) continue;
      SysFreeString(*text);
      *text = nullptr;
    }
  }
  return result;
}

HRESULT UpdateInfoObject::SelectForInstall(char select) {
  update_.selectedForInstall = select != 0;
  return S_OK;
}

HRESULT UpdateInfoObject::GetState(int* state) {
  if (state == nullptr) return E_FAIL;
  *state = static_cast<int>(update_.state);
  return S_OK;
}

HRESULT UpdateInfoObject::ClearState() {
  update_.state = 0;
  return S_OK;
}

HRESULT UpdateInfoObject::LaunchInstaller(int* retCode) {
  if (retCode == nullptr) return E_FAIL;
  *retCode = static_cast<int>(list_.Install(update_));
  return S_OK;
}

}  // namespace updater
