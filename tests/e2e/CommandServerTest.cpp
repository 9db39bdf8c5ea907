#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "e2e/Scenario.h"
#include "service/IpcNames.h"
#include "service/IpcObjects.h"
#include "transfer/FeedKey.h"

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

// A pipe of the test's that records whether anything opened it.
class PipeProbe {
 public:
  explicit PipeProbe(const std::wstring& name)
      : event_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
        pipe_(CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
                               PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr)) {
    overlapped_.hEvent = event_.Get();
    ConnectNamedPipe(pipe_.Get(), &overlapped_);
  }
  ~PipeProbe() { CancelIo(pipe_.Get()); }
  bool Ready() const { return pipe_ && GetLastError() != ERROR_PIPE_CONNECTED; }
  bool Opened() const { return WaitForSingleObject(event_.Get(), 0) == WAIT_OBJECT_0; }

 private:
  KernelHandle event_;
  FileHandle pipe_;
  OVERLAPPED overlapped_ = {};
};

// Every row is a command any user could send. The server fetches the update configuration file
// and the installer itself; nothing the client names is opened, and only an installer of the
// server's publisher that this machine needs runs. Which installers it refuses (one not needed,
// too) is InstallCommandTest's, and which signatures pass SignatureCheckTest's.
TEST(CommandServerTest, RunsOnlyANeededInstallerOfItsOwnPublisherFromASignedFile) {
  TrustRootCertificate(FixturePath(L"signed-installer\\trusted-root.cer"));
  std::wstring privateKey, publicKey;
  ASSERT_EQ(kSuccess, GenerateFeedKey(&privateKey, &publicKey));
  const std::wstring signedServer = FixturePath(L"signed-installer\\Updater-publisher-a.exe");
  const std::wstring a = L"signed-installer\\publisher-a.exe";
  const std::wstring b = L"signed-installer\\publisher-b.exe";
  const std::wstring pipe = L"\\\\.\\pipe\\updater-probe-" + std::to_wstring(GetCurrentProcessId());
  const std::wstring advertised = L"Flags=Advertises\r\n";
  struct Case { const char* what; DWORD result; std::wstring logged; std::wstring served = L"";
                std::wstring keys = L"Flags=Advertises\r\n"; std::wstring argument2 = L"";
                std::wstring command = L"install"; std::wstring name = L"Svc";
                bool signedFeed = true, foreignUrl = false; };
  const Case cases[] = {
      {"the server's publisher", 0, L"Command install(\"Svc\""},
      {"a URL of the client's choosing", 0,
       L"is not one of the client configuration's; using its first URL.", a, advertised, L"",
       L"install", L"Svc", true, true},
      // The server fetches into a folder of its own: a pipe stands for every folder a client
      // might name (a share, the object namespace, a relative path), since the probe sees it opened.
      {"a pipe as the downloads folder", 0, L"Command install", a, advertised, pipe},
      {"another publisher", 0xE000002A, L"VerifyDigitalSignature failed.", b},
      {"the updater itself", 0xE0000020, L"Refused to install Svc: its installer is the updater.",
       L"signed-installer\\Updater-publisher-a.exe"},
      {"an unsigned update configuration file", 0xE0000020, L"holds no FeedPublicKey.", a,
       advertised, L"", L"install", L"Svc", false},
      {"a command in other letters", 0xE0000020, L"Unknown server command Install", a, advertised,
       L"", L"Install"},
      {"control characters", 0xE0000020, L"Unable to find update: S?v?c\r\n", a, advertised, L"",
       L"install", L"S\nv\rc"},
      {"a name of 2,000 characters", 0xE0000020,
       L"Unable to find update: " + std::wstring(1039, L'N') + L"\r\n", a, advertised, L"",
       L"install", std::wstring(2000, L'N')},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Scenario s;
    // The server takes the machine's settings, never its user's.
    SetRegistryDword(HKEY_LOCAL_MACHINE, s.Key(L"Settings"), L"LogLevel", 15);
    CopyFileW(signedServer.c_str(), s.Exe().c_str(), FALSE);
    s.Configure(L"URL=" + s.Url(L"updates.ini") + L"\r\n" +
                    (c.signedFeed ? L"FeedPublicKey=" + publicKey + L"\r\n" : L""),
                true);
    s.PublishSigned(s.Section({L"Svc", c.keys, 0, true, 0, c.served.empty() ? a : c.served}),
                    privateKey);
    const PipeProbe probe(pipe);
    ASSERT_TRUE(probe.Ready());
    const std::wstring base = NewIpcBaseName();
    WriteTextFile(s.File(L"server.ini"),
                  L"[General]\r\nClientConfigPath=" + s.File(L"Updater.ini") +
                      L"\r\nIPCObjNameBase=" + base + L"\r\n",
                  TextEncoding::Utf16);
    KernelHandle server;
    ASSERT_EQ(kSuccess, StartProgram({s.Exe(), L"\"" + s.Exe() + L"\" /runserver \"" +
                                      s.File(L"server.ini") + L"\"", s.Folder()}, &server));
    const std::wstring url = c.foreignUrl ? s.Url(L"elsewhere.ini") : s.Url(L"updates.ini");
    const std::wstring argument2 = c.argument2.empty() ? s.Downloads() : c.argument2;
    EXPECT_EQ(c.result, SendRawCommand(base, {c.command, c.name, argument2, url}));
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(server.Get(), 30000));
    EXPECT_EQ(c.result == 0, FileExists(s.Marker(L"Svc")));
    EXPECT_TRUE(Contains(s.Log(), c.logged)) << Narrow(s.Log());
    EXPECT_TRUE(Contains(s.Log(), L"IPC Object name base: " + base));
    EXPECT_FALSE(probe.Opened());
    EXPECT_TRUE(s.Requests(L"elsewhere.ini").empty());
    // The server fetched the installer itself, into a folder of its own that is gone afterwards.
    if (c.result == 0) {
      EXPECT_FALSE(s.Requests(L"Svc.exe").empty());
    }
    EXPECT_FALSE(FileExists(s.InstallerPath(L"Svc")));
  }
}

}  // namespace
}  // namespace updater::test
