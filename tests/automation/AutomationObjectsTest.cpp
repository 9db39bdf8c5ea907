#include <windows.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "automation/AutomationServer.h"
#include "automation/UpdaterObject.h"
#include "config/RunContext.h"

namespace updater {
namespace {

// Objects in this process, as the server makes them; a configuration without URL fails its
// check at once with kInvalidClientConfig.
struct InProcess {
  InProcess() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~InProcess() { CoUninitialize(); }
  test::ScopedClientConfig client{L"Automation"};
  RunContext run;
  AutomationContext context{client.Config(), run, nullptr};
};

VARIANT Int(int value) {
  VARIANT v;
  V_VT(&v) = VT_I4;
  V_I4(&v) = value;
  return v;
}

TEST(AutomationObjectsTest, ScriptsCallMethodsWithOutParametersTheyCannotDeclare) {
  InProcess server;
  auto* updater = new UpdaterObject(server.context);
  wchar_t name[] = L"CheckForUpdates";
  LPOLESTR names[] = {name};
  DISPID id = 0;
  ASSERT_EQ(S_OK, updater->GetIDsOfNames(IID_NULL, names, 1, 0, &id));
  // As passed, last first: none (JScript), variants by reference (VBScript), the declared types.
  VARIANT received[3] = {Int(7), Int(7), Int(7)};
  int declared[3] = {7, 7, 7};
  VARIANT byVariant[3], byInt[3];
  for (int i = 0; i < 3; ++i) {
    V_VT(&byVariant[i]) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&byVariant[i]) = &received[i];
    V_VT(&byInt[i]) = VT_BYREF | VT_I4;
    V_I4REF(&byInt[i]) = reinterpret_cast<LONG*>(&declared[i]);
  }
  struct Case { const char* caller; VARIANT* args; UINT count; };
  for (const Case& c : {Case{"JScript", nullptr, 0}, Case{"VBScript", byVariant, 3},
                        Case{"declared", byInt, 3}}) {
    DISPPARAMS params = {c.args, nullptr, c.count, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(S_OK, updater->Invoke(id, IID_NULL, 0, DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                                    &params, &result, nullptr, nullptr))
        << c.caller;
    EXPECT_EQ(nullptr, V_DISPATCH(&result)) << c.caller;
    VariantClear(&result);
  }
  // The result code comes last, after the two counts.
  EXPECT_EQ(VT_I4, V_VT(&received[0]));
  EXPECT_EQ(static_cast<LONG>(kInvalidClientConfig), V_I4(&received[0]));
  EXPECT_EQ(0, V_I4(&received[2]));
  EXPECT_EQ(static_cast<int>(kInvalidClientConfig), declared[0]);
  EXPECT_EQ(0, declared[1]);
  updater->Release();
}

// A server that never gets an object returns (else the program hangs until its time-out).
TEST(AutomationObjectsTest, ServerWithoutObjectEndsAfterItsIdleTime) {
  InProcess server;
  GUID classId;
  CoCreateGuid(&classId);
  wchar_t text[40] = {};
  StringFromGUID2(classId, text, 40);
  struct Case { const wchar_t* classId; ResultCode result; };
  for (const Case& c : {Case{text, kSuccess}, Case{L"{not a class}", kInvalidCommandLine}}) {
    EXPECT_EQ(c.result, ServeAutomation(server.context, {c.classId, false, L"", 50}))
        << test::Narrow(c.classId);
  }
}

std::wstring Braced(REFIID iid) {
  wchar_t text[40] = {};
  StringFromGUID2(iid, text, 40);
  return text;
}

TEST(AutomationObjectsTest, ProxyStubLibraryRegistersEveryInterfaceForTheCurrentUser) {
  // The factory is named after one of the interfaces.
  const IID* interfaces[] = {&IID_ITovanUpdaterCallback, &IID_ITovanUpdateInfo, &IID_ITovanUpdates,
                             &IID_ITovanUpdater};
  std::vector<std::unique_ptr<test::ScopedRegistryTree>> interfaceKeys, factoryKeys;
  for (const IID* iid : interfaces) {
    interfaceKeys.push_back(std::make_unique<test::ScopedRegistryTree>(
        L"Software\\Classes\\Interface\\" + Braced(*iid)));
    factoryKeys.push_back(std::make_unique<test::ScopedRegistryTree>(
        L"Software\\Classes\\CLSID\\" + Braced(*iid)));
  }
  const std::wstring path = test::ThisExecutableFolder() + L"\\..\\Updater-comproxystub.dll";
  const ModuleHandle library(LoadLibraryW(path.c_str()));
  ASSERT_TRUE(library) << test::Narrow(path);
  using Register = HRESULT(WINAPI*)();
  const auto registerProxyStub =
      reinterpret_cast<Register>(GetProcAddress(library.Get(), "LocalRegisterProxyStub"));
  ASSERT_NE(nullptr, registerProxyStub);
  EXPECT_EQ(S_OK, registerProxyStub());

  std::wstring factory, server;
  ReadRegistryString(HKEY_CURRENT_USER, interfaceKeys[0]->SubKey() + L"\\ProxyStubClsid32", L"",
                     &factory);
  EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER,
                                 L"Software\\Classes\\CLSID\\" + factory + L"\\InprocServer32", L"",
                                 &server));
  EXPECT_NE(std::wstring::npos, server.find(L"Updater-comproxystub.dll")) << test::Narrow(server);
  for (const auto& key : interfaceKeys) {
    std::wstring registered;
    EXPECT_TRUE(ReadRegistryString(HKEY_CURRENT_USER, key->SubKey() + L"\\ProxyStubClsid32", L"",
                                   &registered));
    EXPECT_EQ(factory, registered) << test::Narrow(key->SubKey());
    std::wstring name;
    ReadRegistryString(HKEY_CURRENT_USER, key->SubKey(), L"", &name);
    EXPECT_EQ(0u, name.find(L"ITovanUpdate")) << test::Narrow(name);
  }
}

}  // namespace
}  // namespace updater
