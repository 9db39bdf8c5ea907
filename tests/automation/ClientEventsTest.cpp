#include "automation/ClientEvents.h"

#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"

namespace updater {
namespace {

// A client's callback in this process: writes down each call and answers IsCanceled and Error as
// the test sets up.
class ScriptedClient : public ITovanUpdaterCallback {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE RegisterAction(int id, int count) override {
    return Record("R" + std::to_string(id) + "/" + std::to_string(count));
  }
  HRESULT STDMETHODCALLTYPE BeginAction(int id) override {
    return Record("B" + std::to_string(id));
  }
  HRESULT STDMETHODCALLTYPE SubActionPerform(int progress) override {
    return Record("P" + std::to_string(progress));
  }
  HRESULT STDMETHODCALLTYPE EndAction(int id, int state) override {
    return Record("E" + std::to_string(id) + "/" + std::to_string(state));
  }
  HRESULT STDMETHODCALLTYPE IsCanceled(char* canceled) override {
    *canceled = canceledFlag;
    return canceledAnswer;
  }
  HRESULT STDMETHODCALLTYPE Error(int code) override {
    char text[16];
    wsprintfA(text, "!%X", code);
    Record(text);
    return errorAnswer;
  }

  HRESULT canceledAnswer = S_OK;
  char canceledFlag = 0;
  HRESULT errorAnswer = S_OK;
  std::string calls;

 private:
  HRESULT Record(const std::string& call) {
    calls += call + " ";
    return S_OK;
  }
};

TEST(ClientEventsTest, ActionsAreRegisteredAsTheyBeginAndProgressIsAPositionWithinTheCount) {
  ScriptedClient client;
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
  EXPECT_EQ("R1/7 B1 P5 P7 E1/0 R105/0 B105 P0 E105/-536870864 R101/2147483647 B101 !E0000023 ",
            client.calls);
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
    ScriptedClient client;
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
    EXPECT_EQ("!2F0D !E0000012 !E0000023 !E0000030 ", client.calls);
  }
}

}  // namespace
}  // namespace updater
