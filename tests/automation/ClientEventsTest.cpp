#include "automation/ClientEvents.h"

#include <gtest/gtest.h>

#include <vector>

#include "TestSupport.h"
#include "automation/RecordingCallback.h"

namespace updater {
namespace {

TEST(ClientEventsTest, ActionsAreRegisteredAsTheyBeginAndProgressIsAPositionWithinTheCount) {
  test::RecordingCallback client;
  ClientEvents events(&client);
  events.ActionBegun(UpdateAction::DownloadFile, 7, L"setup.exe");
  events.Advanced(5);
  events.Advanced(5);  // a resumed download's first step may count what was there
  events.ActionEnded(UpdateAction::DownloadFile, kSuccess);
  events.ActionBegun(UpdateAction::CheckSha256, 0, L"");
  events.Advanced(3);
  events.ActionEnded(UpdateAction::CheckSha256, kSha256Mismatch);
  events.ActionBegun(UpdateAction::DownloadBatch, 0xFFFFFFFF, L"");
  events.Failed(kSizeMismatch, L"http://host/a");
  EXPECT_EQ("register 1 7, begin 1, end 1 0, register 105 0, begin 105, end 105 E0000030, "
            "register 101 2147483647, begin 101, error E0000023, ",
            client.calls);
  EXPECT_EQ((std::vector<int>{5, 7, 0}), client.positions);
}

TEST(ClientEventsTest, TheClientsCancelArrivesFromIsCanceledAndFromError) {
  // IsCanceled's answer and flag, Error's answer; then whether the session is cancelled after a
  // failure, and what becomes of a corrupt download.
  struct Case { HRESULT canceledAnswer; char flag; HRESULT errorAnswer; bool canceled;
                MismatchAnswer mismatch; };
  const Case cases[] = {
      {S_OK, 0, S_OK, false, MismatchAnswer::Keep},
      {S_OK, 1, S_OK, true, MismatchAnswer::Keep},
      {S_FALSE, 0, S_OK, true, MismatchAnswer::Keep},
      {RPC_E_DISCONNECTED, 1, RPC_E_DISCONNECTED, false, MismatchAnswer::Keep},
      {S_OK, 0, E_FAIL, false, MismatchAnswer::Keep},
      {S_OK, 0, S_FALSE, true, MismatchAnswer::Cancel},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.canceledAnswer << " " << int{c.flag} << " "
                                    << c.errorAnswer);
    test::RecordingCallback client;
    client.canceledAnswer = c.canceledAnswer;
    client.canceledFlag = c.flag;
    client.errorAnswer = c.errorAnswer;
    ClientEvents events(&client);
    EXPECT_FALSE(events.AcceptCertificate(ERROR_INTERNET_INVALID_CA, nullptr));
    CredentialsAnswer answer;
    EXPECT_FALSE(events.AskCredentials({L"realm", L"http://host/u.ini", L""}, &answer));
    events.Failed(kSizeMismatch, L"");
    EXPECT_EQ(c.canceled, events.IsCanceled());
    EXPECT_EQ(c.mismatch, events.AnswerMismatch(kSha256Mismatch));
    EXPECT_EQ("error 2F0D, error E0000012, error E0000023, error E0000030, ", client.calls);
  }
}

}  // namespace
}  // namespace updater
