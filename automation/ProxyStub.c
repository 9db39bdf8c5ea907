/* The registration of Updater-comproxystub.dll, the marshaling code widl makes of
   TovanUpdater.idl, for the current user (the server calls it with -registerproxystub). */
#include <windows.h>
#include <objbase.h>
#include <rpcproxy.h>
#include <stdio.h>

extern const ProxyFileInfo* aProxyFileList[];
extern HINSTANCE hProxyDll;

static LSTATUS SetUserClassValue(const wchar_t* key, const wchar_t* name, const wchar_t* value) {
  wchar_t path[160];
  swprintf(path, 160, L"Software\\Classes\\%ls", key);
  return RegSetKeyValueW(HKEY_CURRENT_USER, path, name, REG_SZ, value,
                         (DWORD)((wcslen(value) + 1) * sizeof(wchar_t)));
}

HRESULT WINAPI LocalRegisterProxyStub(void) {
  wchar_t library[MAX_PATH];
  const DWORD length = GetModuleFileNameW(hProxyDll, library, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
  const ProxyFileInfo* file = aProxyFileList[0];
  /* The factory is named after the first interface, as the generated DllGetClassObject expects. */
  wchar_t factory[40], key[100];
  StringFromGUID2(file->pStubVtblList[0]->header.piid, factory, 40);
  swprintf(key, 100, L"CLSID\\%ls\\InprocServer32", factory);
  LSTATUS status = SetUserClassValue(key, NULL, library);
  if (status == ERROR_SUCCESS) status = SetUserClassValue(key, L"ThreadingModel", L"Both");
  for (unsigned short i = 0; status == ERROR_SUCCESS && i < file->TableSize; ++i) {
    wchar_t iid[40], name[100];
    StringFromGUID2(file->pStubVtblList[i]->header.piid, iid, 40);
    MultiByteToWideChar(CP_ACP, 0, file->pNamesArray[i], -1, name, 100);
    swprintf(key, 100, L"Interface\\%ls", iid);
    status = SetUserClassValue(key, NULL, name);
    swprintf(key, 100, L"Interface\\%ls\\ProxyStubClsid32", iid);
    if (status == ERROR_SUCCESS) status = SetUserClassValue(key, NULL, factory);
  }
  return HRESULT_FROM_WIN32(status);
}
