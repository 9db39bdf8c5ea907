#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "e2e/Scenario.h"
#include "service/IpcClient.h"
#include "service/ServiceControl.h"
#include "transfer/FeedKey.h"

namespace updater::test {

// The service's configuration as the manager keeps it, or an empty binary path without it.
struct ServiceConfig {
  std::wstring binaryPath, account, description;
  DWORD startType = 0;
};

ServiceConfig QueryConfig(SC_HANDLE service) {
  ServiceConfig config;
  std::vector<BYTE> buffer(8192);
  DWORD needed = 0;
  auto* query = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buffer.data());
  if (!QueryServiceConfigW(service, query, 8192, &needed)) return config;
  config = {query->lpBinaryPathName, query->lpServiceStartName ? query->lpServiceStartName : L"",
            L"", query->dwStartType};
  if (QueryServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, buffer.data(), 8192, &needed)) {
    const auto* description = reinterpret_cast<SERVICE_DESCRIPTIONW*>(buffer.data());
    config.description = description->lpDescription ? description->lpDescription : L"";
  }
  return config;
}

TEST(ServiceTest, InstalledServiceStartsOneServerCopyPerValidStartAndUninstallRemovesIt) {
  Scenario s;
  // The service reads the machine's settings only, so its log level must be set there.
  SetRegistryDword(HKEY_LOCAL_MACHINE, s.Key(L"Settings"), L"LogLevel", 15);
  s.Run(L"/uninstallservice");  // one left by an interrupted run

  ASSERT_EQ(0u, s.Run(L"/installservice").exitCode) << Narrow(s.Log());
  const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  ServiceHandle service(OpenServiceW(manager.Get(), L"Updater",
                                     SERVICE_QUERY_CONFIG | SERVICE_START | SERVICE_QUERY_STATUS));
  ASSERT_TRUE(service) << GetLastError();
  const ServiceConfig config = QueryConfig(service.Get());
  EXPECT_EQ(L"\"" + s.Exe() + L"\" /runservice", config.binaryPath) << "its folder holds a blank";
  EXPECT_EQ(static_cast<DWORD>(SERVICE_DEMAND_START), config.startType);
  EXPECT_EQ(L"LocalSystem", config.account);
  EXPECT_EQ(L"Updater support service", config.description);
  EXPECT_EQ(0u, s.Run(L"/configservice -name Updater").exitCode);
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST),
            s.Run(L"/configservice -name NoSuchService").exitCode);
  // From here on only a run that takes the machine's settings, as the service must, logs.
  s.Set(L"LogLevel", 0);
  EXPECT_EQ(0u, s.Run(L"/debugservice").exitCode);
  const std::wstring debugging = L"Debugging the service with the object base name ";
  const std::wstring debugLog = s.Log();
  ASSERT_TRUE(Contains(debugLog, debugging)) << Narrow(debugLog);
  const size_t debugAt = debugLog.find(debugging) + debugging.size();
  // Each copy started serves the channel named after its base name, and refuses a command of a
  // configuration without the publisher's key.
  const auto sendTo = [](const std::wstring& baseName) {
    IpcClient client;
    client.Open(baseName);
    ResultCode result = client.WaitForServerToBecomeReady();
    if (result == kSuccess) result = client.Connect();
    if (result == kSuccess) result = client.Map();
    return result != kSuccess ? result : client.Send({L"install", L"Any", L"", L""});
  };
  EXPECT_EQ(kServiceError, sendTo(debugLog.substr(debugAt, debugLog.find(L'\r', debugAt) - debugAt)));

  // The manager passes the service's name first; what a starter gives follows it. The other
  // refused starts are ServerLauncherTest's.
  const std::wstring base = L"0A1B2C3D_00EF_000A_0123_456789ABCDEF";
  const struct { std::vector<const wchar_t*> arguments; DWORD exitCode; std::wstring logged; }
      cases[] = {
          {{base.c_str()}, 0, L"Starting updater as server. Return code: "},
          {{L"a\\b"}, kServiceError,
           L"Refused the object base name the service was started with: a\\b LastError: "},
      };
  for (const auto& c : cases) {
    SCOPED_TRACE(Narrow(c.logged));
    const std::wstring before = s.Log();
    ASSERT_TRUE(StartServiceW(service.Get(), static_cast<DWORD>(c.arguments.size()),
                              const_cast<const wchar_t**>(c.arguments.data())))
        << GetLastError();
    EXPECT_EQ(kSuccess, WaitForServiceState(service.Get(), SERVICE_STOPPED, 30000, 50));
    SERVICE_STATUS status = {};
    ASSERT_TRUE(QueryServiceStatus(service.Get(), &status));
    EXPECT_EQ(c.exitCode, status.dwServiceSpecificExitCode);
    EXPECT_TRUE(Contains(s.Log().substr(before.size()), c.logged)) << Narrow(s.Log());
  }
  EXPECT_EQ(kServiceError, sendTo(base));
  // Its batch file removes it, its hand-over file and its folder once it ends.
  const std::wstring log = s.Log(), started = L"Running temp updater from path: ";
  ASSERT_TRUE(Contains(log, started)) << Narrow(log);
  const size_t at = log.rfind(started) + started.size();
  const std::wstring copy = log.substr(at, log.find(L'\r', at) - at);
  EXPECT_TRUE(Contains(copy, L"\\qzu")) << Narrow(copy);
  EXPECT_TRUE(WaitUntil([&] { return !FileExists(copy.substr(0, copy.rfind(L'\\'))); }))
      << Narrow(copy);

  service.Reset();
  EXPECT_EQ(0u, s.Run(L"/uninstallservice").exitCode) << Narrow(s.Log());
  EXPECT_FALSE(ServiceHandle(OpenServiceW(manager.Get(), L"Updater", SERVICE_QUERY_STATUS)));
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), GetLastError());
  EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), s.Run(L"/uninstallservice").exitCode);
}

// Whoever may change what the service runs or reads could run anything as LocalSystem.
TEST(ServiceTest, NoServiceIsRegisteredFromWhatOtherUsersMayChange) {
  const struct { const char* what; std::function<std::wstring(const Scenario&)> path; } cases[] = {
      {"folder", [](const Scenario& s) { return s.Folder(); }},
      {"executable", [](const Scenario& s) { return s.Exe(); }},
      {"client configuration", [](const Scenario& s) { return s.File(L"Updater.ini"); }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    s.Run(L"/uninstallservice");  // one left by an interrupted run
    const std::wstring path = c.path(s);
    ASSERT_TRUE(SetFileDacl(path, L"D:(A;;FA;;;SY)(A;;FA;;;BA)(A;;FA;;;WD)"));
    EXPECT_EQ(0xE0000039u, s.Run(L"/installservice").exitCode) << Narrow(s.Log());
    EXPECT_TRUE(Contains(s.Log(), L"Refused to register the service: " + path +
                                      L" may be changed by S-1-1-0 (rights 0x"))
        << Narrow(s.Log());
    const ServiceHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    EXPECT_FALSE(ServiceHandle(OpenServiceW(manager.Get(), L"Updater", SERVICE_QUERY_STATUS)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST), GetLastError());
  }
}

// An Advertises update goes through the service when there is one and the update configuration
// file is signed, and is installed directly otherwise; either way it installs.
TEST(ServiceTest, AdvertisedPackageInstallsThroughTheServiceElseDirectly) {
  TrustRootCertificate(FixturePath(L"signed-installer\\trusted-root.cer"));
  std::wstring privateKey, publicKey;
  ASSERT_EQ(kSuccess, GenerateFeedKey(&privateKey, &publicKey));
  // `elsewhere`: the run takes its file from a URL of its own (-url), where the server, which
  // fetches the configured one, finds no such update and refuses.
  const struct { const char* what; const wchar_t* name; bool registered, signedFeed;
                 std::wstring logged; bool elsewhere = false; }
      cases[] = {
          {"through the service", L"Updater", true, true, L"Command install(\"Package\""},
          {"refused by the server", L"Updater", true, true,
           L"The support service refused the installation; installing directly: ", true},
          {"an unsigned file", L"Updater", true, false,
           L"The support service is not used: the client configuration beside "},
          {"none configured", L"", false, true, L"Support service not configured in updates.ini."},
          {"none registered", L"Updater", false, true,
           L"Unable to read the configuration of service Updater LastError: "},
      };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RemoveFixturePackages();
    Scenario s;
    SetRegistryDword(HKEY_LOCAL_MACHINE, s.Key(L"Settings"), L"LogLevel", 15);
    const std::wstring updater = FixturePath(L"signed-installer\\Updater-publisher-a.exe");
    ASSERT_TRUE(CopyFileW(updater.c_str(), s.Exe().c_str(), FALSE));
    s.Configure(L"URL=" + s.Url(L"updates.ini") + L"\r\nSupportServiceName=" + c.name + L"\r\n" +
                    (c.signedFeed ? L"FeedPublicKey=" + publicKey + L"\r\n" : L""),
                true);
    s.Run(L"/uninstallservice");
    if (c.registered) {
      ASSERT_EQ(0u, s.Run(L"/installservice").exitCode) << Narrow(s.Log());
    }
    s.PublishSigned(s.PackageSection(L"signed-installer\\MsiFixture-publisher-a.msi",
                                     L"Flags=Advertises\r\n"),
                    privateKey);
    if (c.elsewhere) {
      CopyFileW(s.ServedPath(L"updates.ini").c_str(), s.ServedPath(L"other.ini").c_str(), FALSE);
      s.PublishSigned(L"", privateKey);
    }
    EXPECT_EQ(0u, s.InstallAll(c.elsewhere ? L" -url " + s.Url(L"other.ini") : L""))
        << Narrow(s.Log());
    const std::wstring log = s.Log();
    const bool throughService = c.registered && c.signedFeed && !c.elsewhere;
    EXPECT_TRUE(Contains(log, L"Installing using helper service.")) << Narrow(log);
    EXPECT_TRUE(Contains(log, c.logged)) << Narrow(log);
    EXPECT_EQ(!throughService, Contains(log, L"Update \"Package update\" installer runned."));
    EXPECT_EQ(c.registered && c.signedFeed, Contains(log, L"Starting updater as server."))
        << "service started";
    EXPECT_EQ(0xE0000011u, s.Run(L"/justcheck").exitCode) << "not installed";
    if (c.registered) s.Run(L"/uninstallservice");
  }
  RemoveFixturePackages();
}

}  // namespace updater::test
