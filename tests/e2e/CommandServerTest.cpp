#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "e2e/Scenario.h"
#include "service/IpcNames.h"
#include "service/IpcObjects.h"
#include "transfer/Md5.h"

namespace updater::test {
namespace {

// A client of the command server's channel that writes the shared block itself, as any process
// of any user can: fields are copied as they are, cut at the field's size without a terminator.
DWORD SendRawCommand(const std::wstring& base, const std::wstring (&fields)[4]) {
  KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, (L"Global\\evt3_" + base).c_str()));
  if (WaitForSingleObject(ready.Get(), 30000) != WAIT_OBJECT_0) return 0xDEAD0001;
  KernelHandle mapping(
      OpenFileMappingW(kEveryoneMappingRights, FALSE, (L"Global\\srv_" + base).c_str()));
  KernelHandle command(OpenEventW(kEveryoneEventRights, FALSE, (L"Global\\evt_" + base).c_str()));
  KernelHandle reply(OpenEventW(kEveryoneEventRights, FALSE, (L"Global\\evt2_" + base).c_str()));
  if (!mapping || !command || !reply) return 0xDEAD0002;
  MappedView view(MapViewOfFile(mapping.Get(), kEveryoneMappingRights, 0, 0, 0x2084));
  char* block = static_cast<char*>(view.Get());
  for (int i = 0; i < 4; ++i) {
    const size_t bytes = std::min<size_t>(fields[i].size() * 2, 0x820);
    std::memcpy(block + i * 0x820, fields[i].data(), bytes);
    if (bytes < 0x820) std::memset(block + i * 0x820 + bytes, 0, 2);
  }
  SetEvent(command.Get());
  if (WaitForSingleObject(reply.Get(), 60000) != WAIT_OBJECT_0) return 0xDEAD0003;
  DWORD result = 0;
  std::memcpy(&result, block + 0x2080, 4);
  return result;
}

TEST(CommandServerTest, RunsOnlyTheCheckedCopyOfAnInstallerOfItsOwnPublisher) {
  TrustRootCertificate(FixturePath(L"signed-installer\\trusted-root.cer"));
  const std::wstring signedServer = FixturePath(L"signed-installer\\Updater-publisher-a.exe");
  const std::wstring a = L"signed-installer\\publisher-a.exe";
  const std::wstring b = L"signed-installer\\publisher-b.exe";
  const std::wstring unsignedInstaller = L"signed-installer\\unsigned.exe";
  // served: the published installer (its MD5 in the section); placed: what the client's downloads
  // folder holds (none: nothing).
  struct Case { const char* what; bool signedUpdater; std::wstring served, placed; DWORD result;
                std::wstring logged; std::wstring command = L"install"; std::wstring name = L"Svc";
                bool foreignUrl = false; };
  const Case cases[] = {
      {"the server's publisher", true, a, a, 0, L"Command install(\"Svc\""},
      {"a URL of the client's choosing", true, a, a, 0,
       L"is not one of the client configuration's; using its first URL.", L"install", L"Svc",
       true},
      {"another publisher", true, b, b, 0xE000002A, L"VerifyDigitalSignature failed."},
      {"an unsigned installer", true, unsignedInstaller, unsignedInstaller, 0x800B0100,
       L"VerifyDigitalSignature failed."},
      {"an unsigned server", false, a, a, 0xE000002A, L"VerifyDigitalSignature failed."},
      {"a swapped file", true, a, b, 0xE0000022, L"The installer differs"},
      {"a command in other letters", true, a, a, 0xE0000020, L"Unknown server command Install",
       L"Install"},
      {"a file never downloaded", true, a, L"", 0xE0000020, L"Invalid update state: 1"},
      {"a name of 2,000 characters", true, a, a, 0xE0000020,
       L"Unable to find update: " + std::wstring(1039, L'N') + L"\r\n", L"install",
       std::wstring(2000, L'N')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    // The server takes the machine's settings, never its user's.
    ScopedRegistryTree machine(s.Key(), HKEY_LOCAL_MACHINE);
    SetRegistryDword(HKEY_LOCAL_MACHINE, s.Key(L"Settings"), L"LogLevel", 15);
    if (c.signedUpdater) CopyFileW(signedServer.c_str(), s.Exe().c_str(), FALSE);
    const std::wstring md5 = Md5HexDigest(ReadFileBytes(FixturePath(c.served)));
    s.Publish(s.Section({L"Svc", L"MD5=" + md5 + L"\r\n", 0, true, 0, c.served}));
    if (!c.placed.empty()) {
      CreateDirectoryW((s.Downloads() + L"\\Svc").c_str(), nullptr);
      CopyFileW(FixturePath(c.placed).c_str(), s.InstallerPath(L"Svc").c_str(), FALSE);
    }
    const std::wstring base = NewIpcBaseName();
    WriteTextFile(s.File(L"server.ini"),
                  L"[General]\r\nClientConfigPath=" + s.File(L"Updater.ini") +
                      L"\r\nIPCObjNameBase=" + base + L"\r\n",
                  TextEncoding::Utf16);
    KernelHandle server;
    DWORD id = 0;
    ASSERT_TRUE(StartProcess(s.Exe(), L"\"" + s.Exe() + L"\" /runserver \"" + s.File(L"server.ini") + L"\"",
                             s.File(L"").c_str(), &server, &id));
    const std::wstring url = c.foreignUrl ? s.Url(L"elsewhere.ini") : s.Url(L"updates.ini");
    EXPECT_EQ(c.result, SendRawCommand(base, {c.command, c.name, s.Downloads(), url}));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.Get(), 30000));
    EXPECT_EQ(c.result == 0, FileExists(s.Marker(L"Svc")));
    EXPECT_TRUE(Contains(s.Log(), c.logged)) << Narrow(s.Log());
    EXPECT_TRUE(s.Requests(L"elsewhere.ini").empty());
    // The installer ran from the server's own folder, which is gone afterwards.
    EXPECT_TRUE(c.placed.empty() || FileExists(s.InstallerPath(L"Svc")));
  }
}

}  // namespace
}  // namespace updater::test
