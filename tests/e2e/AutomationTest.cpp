#include <windows.h>
#include <gtest/gtest.h>
#include <objbase.h>

#include <string>
#include <vector>

#include "automation/ComObject.h"
#include "automation/ComRegistration.h"
#include "automation/RecordingCallback.h"
#include "automation/TovanUpdater.h"
#include "base/ResultText.h"
#include "e2e/Scenario.h"
#include "handover/InstanceLock.h"
#include "install/AutoCloseApplication.h"

namespace updater::test {

int InstallFirstUpdate(REFCLSID classId, ITovanUpdaterCallback* progress);  // README.md

namespace {

std::wstring NewClassId() {
  GUID guid;
  CoCreateGuid(&guid);
  wchar_t text[40] = {};
  StringFromGUID2(guid, text, 40);
  return text;
}

// Whether the updater of `s` ends within `timeoutMs` (0: has ended).
bool ServerEnds(const Scenario& s, DWORD timeoutMs) {
  AutoCloseEntry server;
  server.application = s.Exe();
  return WaitForApplicationExit(server, timeoutMs);
}

// The scenario's updater registered as the local server of a class of its own (as by hand:
// `/automation -clsid`), unregistered at the end; clients run in a single-threaded apartment.
struct Server {
  explicit Server(const Scenario& scenario) : s(scenario), classId(NewClassId()) {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    EXPECT_EQ(0u, s.Run(L"/automation -clsid " + classId).exitCode) << Narrow(s.Log());
  }
  // As an application's uninstaller does it; once more, with nothing left, is no failure.
  ~Server() {
    EXPECT_EQ(0u, s.Run(L"/automation -clsid " + classId + L" -unregserver").exitCode);
    BSTR path = nullptr;
    EXPECT_FALSE(SUCCEEDED(QueryPathOfRegTypeLib(LIBID_TovanUpdater, 1, 0, LOCALE_NEUTRAL, &path)))
        << "the type library stays registered";
    SysFreeString(path);
    std::wstring server;
    EXPECT_FALSE(ReadRegistryString(HKEY_LOCAL_MACHINE,
                                    L"Software\\Classes\\CLSID\\" + classId + L"\\LocalServer32",
                                    L"", &server))
        << "the class stays registered";
    EXPECT_EQ(0u, s.Run(L"/automation -clsid " + classId + L" -unregserver").exitCode);
    CoUninitialize();
  }
  CLSID Clsid() const {
    CLSID clsid = {};
    CLSIDFromString(classId.c_str(), &clsid);
    return clsid;
  }
  ComRef<ITovanUpdater> Create() const {
    ITovanUpdater* updater = nullptr;
    EXPECT_EQ(S_OK, CoCreateInstance(Clsid(), nullptr, CLSCTX_LOCAL_SERVER, IID_ITovanUpdater,
                                     reinterpret_cast<void**>(&updater)))
        << Narrow(s.Log());
    return ComRef<ITovanUpdater>(updater);
  }
  const Scenario& s;
  std::wstring classId;
};

std::wstring Text(BSTR text) {
  std::wstring copy = text != nullptr ? text : L"(null)";
  SysFreeString(text);
  return copy;
}

struct Check {
  int count = -1, toDownload = -1, result = -1;
  ComRef<ITovanUpdates> updates;
};

Check CheckForUpdates(ITovanUpdater* updater) {
  Check check;
  ITovanUpdates* updates = nullptr;
  EXPECT_EQ(S_OK, updater->CheckForUpdates(&check.count, &check.toDownload, &check.result,
                                           &updates));
  check.updates.Reset(updates);
  return check;
}

TEST(AutomationTest, ClientChecksReadsSelectsDownloadsAndInstallsThroughTheLocalServer) {
  Scenario s;
  s.Publish(s.PackageSection(L"MsiFixture.msi", L"") + s.Section({L"Tool"}));
  Server server(s);
  {
    const ComRef<ITovanUpdater> updater = server.Create();
    ASSERT_TRUE(updater);
    RecordingCallback callback;
    EXPECT_EQ(E_FAIL, updater.Get()->RegisterCallback(nullptr));
    EXPECT_EQ(S_OK, updater.Get()->RegisterCallback(&callback));
    Check check = CheckForUpdates(updater.Get());
    ASSERT_EQ(0, check.result) << Narrow(s.Log());
    EXPECT_EQ(2, check.count);
    EXPECT_EQ(2, check.toDownload);
    ITovanUpdates* updates = check.updates.Get();

    struct Entry { const wchar_t* name; const wchar_t* displayName; const wchar_t* version; };
    const Entry entries[] = {{L"Package", L"Package update", L"1.2"},
                             {L"Tool", L"Tool update", L"0.0.0.0"}};
    std::vector<ComRef<ITovanUpdateInfo>> infos;
    for (int index = 0; index < 2; ++index) {
      const Entry& e = entries[index];
      ITovanUpdateInfo* info = nullptr;
      ASSERT_EQ(S_OK, updates->GetUpdateInfo(index, &info));
      infos.emplace_back(info);
      BSTR name = nullptr, displayName = nullptr, version = nullptr, basicName = nullptr,
           basicVersion = nullptr;
      int size = 0, basicSize = 0;
      EXPECT_EQ(std::vector<HRESULT>(5, S_OK),
                (std::vector<HRESULT>{info->GetName(&name), info->GetDisplayName(&displayName),
                                      info->GetVersion(&version), info->GetSize(&size),
                                      info->GetBasicInfo(&basicName, &basicVersion, &basicSize)}));
      using Texts = std::vector<std::wstring>;
      EXPECT_EQ((Texts{e.name, e.displayName, e.version, e.displayName, e.version}),
                (Texts{Text(name), Text(displayName), Text(version), Text(basicName),
                       Text(basicVersion)}));
      EXPECT_GT(size, 1000);
      EXPECT_EQ(size, basicSize);
    }
    ITovanUpdateInfo* beyond = nullptr;
    EXPECT_EQ(E_FAIL, updates->GetUpdateInfo(2, &beyond));
    EXPECT_EQ(E_FAIL, updates->GetUpdateInfo(-1, &beyond));

    int result = -1;
    EXPECT_EQ(S_OK, updates->DownloadUpdates(&result));
    EXPECT_EQ(0, result) << "nothing selected";
    EXPECT_EQ("", callback.calls);

    ITovanUpdateInfo* tool = infos[1].Get();
    EXPECT_EQ(S_OK, tool->SelectForInstall(1));
    callback.canceledAnswer = S_FALSE;
    EXPECT_EQ(S_OK, updates->DownloadUpdates(&result));
    EXPECT_EQ(0xE0000008, static_cast<DWORD>(result));
    callback.canceledAnswer = S_OK;
    callback.calls.clear();
    callback.positions.clear();
    EXPECT_EQ(S_OK, updates->DownloadUpdates(&result));
    EXPECT_EQ(0, result) << Narrow(s.Log());
    int size = 0;
    tool->GetSize(&size);
    const std::string sizeText = std::to_string(size);
    EXPECT_EQ("register 101 0, begin 101, register 1 " + sizeText + ", begin 1, end 1 0, "
              "end 101 0, ", callback.calls);
    ASSERT_FALSE(callback.positions.empty());
    EXPECT_EQ(size, callback.positions.back());
    for (size_t i = 1; i < callback.positions.size(); ++i) {
      EXPECT_LE(callback.positions[i - 1], callback.positions[i]) << "a position, not a step";
    }

    callback.calls.clear();
    EXPECT_EQ(S_OK, tool->LaunchInstaller(&result));
    EXPECT_EQ(0, result) << Narrow(s.Log());
    EXPECT_EQ("register 103 1, begin 103, end 103 0, ", callback.calls);
    EXPECT_TRUE(FileExists(s.Marker(L"Tool"))) << "the installer did not run";
    int state = -1;
    EXPECT_EQ(S_OK, infos[0].Get()->GetState(&state));
    EXPECT_EQ(0, state) << "an update neither downloaded nor installed";
    EXPECT_EQ(S_OK, tool->ClearState());
    EXPECT_EQ(S_OK, tool->GetState(&state));
    EXPECT_EQ(0, state);
    BSTR description = nullptr;
    EXPECT_EQ(S_OK, updater.Get()->GetErrorDescription(0xE0000011, &description));
    EXPECT_FALSE(Text(description).empty());
  }
}

// The examples of README.md (ReadmeExample.cpp and .js, made of it by the build) install a real
// package; the server ends after each.
TEST(AutomationTest, ReadmeExamplesInstallTheFirstUpdate) {
  for (const bool script : {false, true}) {
    SCOPED_TRACE(script ? "JScript" : "C++");
    RemoveFixturePackages();
    Scenario s;
    s.Publish(s.PackageSection(L"MsiFixture.msi", L""));
    Server server(s);
    DWORD result = 0xDEAD;
    std::string output;
    if (script) {
      const std::wstring printed = s.File(L"printed.txt");
      KernelHandle process;
      ASSERT_EQ(kSuccess, StartProgram({L"C:\\windows\\system32\\cmd.exe",
                                        L"cmd /c cscript.exe //nologo \"" + ThisExecutableFolder() +
                                            L"\\ReadmeExample.js\" " + ProgIdOf(server.classId) +
                                            L" > \"" + printed + L"\""}, &process));
      EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.Get(), 120000));
      output = ReadFileBytes(printed);
      result = output.find("Result: " + Narrow(ResultText(0))) != std::string::npos ? 0 : 1;
      const std::string size = std::to_string(ReadFileBytes(FixturePath(L"MsiFixture.msi")).size());
      EXPECT_NE(std::string::npos, output.find("Package: Package update 1.2, " + size + " bytes"))
          << output;
    } else {
      result = static_cast<DWORD>(InstallFirstUpdate(server.Clsid(), nullptr));
    }
    EXPECT_EQ(0u, result) << output << Narrow(s.Log());
    std::wstring installed;
    ReadRegistryString(HKEY_LOCAL_MACHINE, L"Software\\UpdaterFixturePackage", L"Version",
                       &installed);
    EXPECT_EQ(L"1.2.0.0", installed) << "the package did not install";
    EXPECT_TRUE(ServerEnds(s, 10000))
        << "the server outlived its last object";
  }
  RemoveFixturePackages();
}

// Wine never releases the objects of a client that was killed.
TEST(AutomationTest, ServerEndsWithAKilledClient) {
  Scenario s;
  s.Publish(L"");
  Server server(s);
  const std::wstring created = s.File(L"created.txt"), script = s.File(L"client.js");
  // Wine's WScript.Sleep returns at once; the client spins until it is killed.
  WriteTextFile(script,
                L"var updater = new ActiveXObject(WScript.Arguments(0));\n"
                L"new ActiveXObject('Scripting.FileSystemObject')"
                L".CreateTextFile(WScript.Arguments(1));\nfor (;;) {}\n",
                TextEncoding::Ansi);
  KernelHandle client;
  ASSERT_EQ(kSuccess, StartProgram({L"C:\\windows\\system32\\cscript.exe",
                                    L"cscript //nologo \"" + script + L"\" " +
                                        ProgIdOf(server.classId) + L" \"" + created + L"\""},
                                   &client));
  ASSERT_TRUE(WaitUntil([&] { return FileExists(created); })) << Narrow(s.Log());
  ASSERT_FALSE(ServerEnds(s, 0)) << Narrow(s.Log());
  TerminateProcess(client.Get(), 1);
  EXPECT_TRUE(ServerEnds(s, 10000)) << Narrow(s.Log());
}

TEST(AutomationTest, CheckWithoutUpdateOrBesideAnotherRunSetsEveryOutValue) {
  for (const bool besideAnotherRun : {false, true}) {
    SCOPED_TRACE(besideAnotherRun);
    Scenario s;
    s.Publish(L"");
    Server server(s);
    InstanceLock otherRun;
    if (besideAnotherRun) otherRun.Acquire(InstanceLockName(s.Exe()));
    const ComRef<ITovanUpdater> updater = server.Create();
    ASSERT_TRUE(updater);
    const Check check = CheckForUpdates(updater.Get());
    EXPECT_EQ(besideAnotherRun ? 0xE0000027 : 0xE0000011, static_cast<DWORD>(check.result))
        << Narrow(s.Log());
    EXPECT_EQ(0, check.count);
    EXPECT_EQ(0, check.toDownload);
    EXPECT_FALSE(check.updates);
  }
}

}  // namespace
}  // namespace updater::test
