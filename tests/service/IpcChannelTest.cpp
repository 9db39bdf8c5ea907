#include <gtest/gtest.h>

#include <aclapi.h>

#include <functional>
#include <future>
#include <thread>

#include "TestSupport.h"
#include "base/ObjectAccessReader.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"
#include "service/IpcClient.h"
#include "service/IpcServer.h"

namespace updater {
namespace {

// A server that dies with the command in hand would otherwise keep its client waiting for ever.
TEST(IpcChannelTest, ClientLearnsThatTheServerEndedWithoutReplying) {
  const std::wstring base = NewIpcBaseName();
  const size_t logged = test::LogText().size();
  std::thread serverThread([&] {
    IpcServer server;
    if (server.Create(base) != kSuccess || server.Map() != kSuccess) return;
    if (!test::WaitUntil([&] { return server.SignalServer(); }, 10000)) return;
    KernelHandle command(
        OpenEventW(SYNCHRONIZE, FALSE, MakeIpcObjectNames(base).commandEvent.c_str()));
    WaitForSingleObject(command.Get(), 10000);
  });
  IpcClient client(10000);
  client.Open(base);
  ResultCode result = client.WaitForServerToBecomeReady();
  if (result == kSuccess) result = client.Connect();
  if (result == kSuccess) result = client.Map();
  if (result == kSuccess) {
    const IpcCommand command = {L"install", L"a", L"b", L"c"};
    auto sent = std::async(std::launch::async, [&] { return client.Send(command); });
    // A client that misses the server's end is released, so that the fault fails, not hangs.
    if (sent.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
      KernelHandle reply(
          OpenEventW(EVENT_MODIFY_STATE, FALSE, MakeIpcObjectNames(base).replyEvent.c_str()));
      SetEvent(reply.Get());
    }
    result = sent.get();
  }
  serverThread.join();
  EXPECT_EQ(kServiceError, result);
  const std::wstring ended = L"The server ended without replying.";
  EXPECT_EQ(1u, test::CountOf(test::LogText().substr(logged), ended));
}

// "SID:0xMASK" of Everyone's entry in the DACL of `object`, then the SIDs of the others. Only
// Everyone's mask is compared: Windows may store LocalSystem's generic right mapped.
std::wstring DaclText(HANDLE object) {
  LocalSecurityDescriptor descriptor;
  if (GetSecurityInfo(object, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                      nullptr, nullptr, descriptor.Put()) != ERROR_SUCCESS) {
    return L"unreadable";
  }
  std::wstring text;
  for (const AccessEntry& entry : ObjectAccessOf(descriptor.Get()).entries) {
    text += (entry.allows ? L"" : L"deny ") + entry.sid;
    if (entry.sid == kEveryoneSid) text += FormatText(L":0x%X", entry.mask);
    text += L" ";
  }
  return text;
}

// Everyone may do with each object only what a client does with it; more is refused, even to
// the user who made it.
TEST(IpcChannelTest, EveryoneGetsOnlyWhatTheClientNeeds) {
  const std::wstring base = NewIpcBaseName();
  const IpcObjectNames names = MakeIpcObjectNames(base);
  const auto expected = [](DWORD everyone) {
    return FormatText(L"S-1-1-0:0x%X S-1-5-18 ", everyone);
  };
  ResultCode waited = kServiceError;
  IpcClient client(10000);
  client.Open(base);
  std::thread clientThread([&] { waited = client.WaitForServerToBecomeReady(); });
  KernelHandle ready;
  EXPECT_TRUE(test::WaitUntil([&] {
    ready.Reset(OpenEventW(READ_CONTROL | kEveryoneEventRights, FALSE, names.readyEvent.c_str()));
    return static_cast<bool>(ready);
  }));
  EXPECT_EQ(expected(kEveryoneEventRights), DaclText(ready.Get()));
  SetEvent(ready.Get());
  clientThread.join();
  EXPECT_EQ(kSuccess, waited);

  IpcServer server;
  ASSERT_EQ(kSuccess, server.Create(base));
  const struct {
    const char* what;
    std::function<HANDLE(DWORD)> open;
    DWORD everyone, all;
  } cases[] = {
      {"mapping",
       [&](DWORD access) { return OpenFileMappingW(access, FALSE, names.mapping.c_str()); },
       kEveryoneMappingRights, FILE_MAP_ALL_ACCESS},
      {"command",
       [&](DWORD access) { return OpenEventW(access, FALSE, names.commandEvent.c_str()); },
       kEveryoneEventRights, EVENT_ALL_ACCESS},
      {"reply",
       [&](DWORD access) { return OpenEventW(access, FALSE, names.replyEvent.c_str()); },
       kEveryoneEventRights, EVENT_ALL_ACCESS},
      {"mutex",
       [&](DWORD access) { return OpenMutexW(access, FALSE, names.serverMutex.c_str()); },
       kEveryoneMutexRights, MUTEX_ALL_ACCESS},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const KernelHandle object(c.open(READ_CONTROL | c.everyone));
    ASSERT_TRUE(object) << GetLastError();
    EXPECT_EQ(expected(c.everyone), DaclText(object.Get()));
    EXPECT_FALSE(KernelHandle(c.open(c.all)));
    EXPECT_EQ(static_cast<DWORD>(ERROR_ACCESS_DENIED), GetLastError());
  }
}

TEST(IpcChannelTest, EitherEndAloneGivesUpWithinItsWait) {
  IpcClient client(200);
  client.Open(NewIpcBaseName());
  EXPECT_EQ(kRequestTimeout, client.WaitForServerToBecomeReady());
  EXPECT_EQ(static_cast<ResultCode>(ERROR_FILE_NOT_FOUND), client.Connect());
  EXPECT_EQ(kChannelNotOpen, client.Send({L"install", L"a", L"b", L"c"}));

  // A server nobody talks to releases any late client through the reply event.
  const std::wstring base = NewIpcBaseName();
  IpcServer server(200);
  ASSERT_EQ(kSuccess, server.Create(base));
  ASSERT_EQ(kSuccess, server.Map());
  const size_t logged = test::LogText().size();
  EXPECT_EQ(kRequestTimeout, server.WaitForCommand(nullptr));
  // Twenty slices without a client, the first of them logged.
  const std::wstring missed = L"Unable to open event " + MakeIpcObjectNames(base).readyEvent;
  EXPECT_EQ(1u, test::CountOf(test::LogText().substr(logged), missed));
  KernelHandle reply(OpenEventW(SYNCHRONIZE, FALSE, MakeIpcObjectNames(base).replyEvent.c_str()));
  ASSERT_TRUE(reply);
  EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(reply.Get(), 0));

  // Names another process made first are refused rather than shared; a server's own ones this
  // user, not LocalSystem, may not even open whole, as creating them again would.
  IpcServer squatter;
  EXPECT_EQ(static_cast<ResultCode>(ERROR_ACCESS_DENIED), squatter.Create(base));
  // So is a reply event alone: whoever made it could answer in the server's name.
  const std::wstring other = NewIpcBaseName();
  const KernelHandle reply2(
      CreateEventW(nullptr, TRUE, FALSE, MakeIpcObjectNames(other).replyEvent.c_str()));
  EXPECT_EQ(static_cast<ResultCode>(ERROR_ALREADY_EXISTS), IpcServer().Create(other));
}

}  // namespace
}  // namespace updater
