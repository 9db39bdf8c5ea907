#include "engine/CallbackEvents.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <wininet.h>

#include <sstream>
#include <string>
#include <tuple>

#include "TestSupport.h"
#include "engine/UpdaterCallback.h"
#include "transfer/CredentialProvider.h"

namespace updater {
namespace {

// Writes down each slot called and answers Error with a set code.
class SlotRecorder : public UpdaterCallback {
 public:
  void RegisterAction(std::int32_t id, std::int32_t count) override { log << "R" << id << count; }
  void BeginAction(std::int32_t id, std::uint32_t total, const wchar_t* text) override {
    log << "B" << id << "/" << total << "/" << (text == nullptr ? "null" : test::Narrow(text));
  }
  void EndAction(std::int32_t id, ResultCode state) override { log << "E" << id << "/" << state; }
  void Progress(std::uint32_t amount) override { log << "P" << amount; }
  bool IsCanceled() override { return true; }
  bool IsPaused() override { return false; }
  ResultCode Error(const wchar_t* text, ResultCode code, void* handle) override {
    log << "!" << std::hex << code << std::dec << (text == nullptr ? "" : "+text")
        << (handle == nullptr ? "" : "+handle");
    return answer;
  }
  ResultCode answer = 0;
  std::ostringstream log;
};

TEST(CallbackEventsTest, ReportsGoToTheirSlots) {
  SlotRecorder callback;
  CallbackEvents events(callback);
  events.ActionBegun(UpdateAction::DownloadFile, 7, L"setup.exe");
  events.ActionBegun(UpdateAction::CheckSha256, 0, L"");
  events.Advanced(5);
  events.ActionEnded(UpdateAction::InstallStep, kCanceled);
  events.Failed(kSizeMismatch, L"http://host/a");
  EXPECT_EQ("B1/7/setup.exeB105/0/nullP5E103/3758096392!e0000023+text", callback.log.str());
  EXPECT_TRUE(events.IsCanceled());
  EXPECT_FALSE(events.IsPaused());
}

TEST(CallbackEventsTest, ErrorAnswersBecomeTypedAnswers) {
  // Error's answer; then whether the certificate is accepted, credentials were entered, and
  // what becomes of a corrupt download.
  const std::tuple<ResultCode, bool, bool, MismatchAnswer> cases[] = {
      {0, true, false, MismatchAnswer::Keep},
      {ERROR_RETRY, false, true, MismatchAnswer::DownloadAgain},
      {kCanceled, false, false, MismatchAnswer::Cancel},
      {ERROR_INTERNET_INVALID_CA, false, false, MismatchAnswer::Keep},
  };
  for (const auto& [answer, certificate, credentials, mismatch] : cases) {
    SlotRecorder callback;
    callback.answer = answer;
    CallbackEvents events(callback);
    CredentialProvider provider;
    EXPECT_EQ(certificate, events.AcceptCertificate(ERROR_INTERNET_INVALID_CA, nullptr)) << answer;
    EXPECT_EQ(credentials, events.ProvideCredentials(provider)) << answer;
    EXPECT_EQ(mismatch, events.AnswerMismatch(kSha256Mismatch)) << answer;
    EXPECT_EQ("!2f0d!e0000012+handle!e0000030", callback.log.str()) << answer;
  }
}

}  // namespace
}  // namespace updater
