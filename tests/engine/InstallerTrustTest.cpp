#include "engine/InstallerTrust.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"

namespace updater {
namespace {

std::wstring Signed(const wchar_t* name) { return test::FixturePath(L"signed\\") + name; }

// The rule decides what an unsigned updater lets through: the support server, which runs
// installers with rights of its own, must not take the lenient one.
TEST(InstallerTrustTest, OnlyTheInstallationRuleLetsAnUnsignedUpdaterPassAnything) {
  test::TrustRootCertificate(Signed(L"trusted-root.cer"));
  struct Case { const wchar_t* reference; const wchar_t* installer; PublisherRule rule;
                ResultCode result; };
  const Case cases[] = {
      {L"unsigned.exe", L"publisher-a.exe", PublisherRule::Installation, kSuccess},
      {L"unsigned.exe", L"publisher-a.exe", PublisherRule::OwnRights, kSignerMismatch},
      {L"publisher-a.exe", L"publisher-a.exe", PublisherRule::Installation, kSuccess},
      {L"publisher-a.exe", L"publisher-a.exe", PublisherRule::OwnRights, kSuccess},
      {L"publisher-a.exe", L"publisher-b.exe", PublisherRule::Installation, kSignerMismatch},
      {L"publisher-a.exe", L"publisher-b.exe", PublisherRule::OwnRights, kSignerMismatch},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, VerifyInstallerPublisher(Signed(c.reference), Signed(c.installer), c.rule))
        << test::Narrow(c.reference) << " / " << test::Narrow(c.installer) << " rule "
        << static_cast<int>(c.rule);
  }
}

TEST(InstallerTrustTest, UnreadableFilesCountAsTheSameContent) {
  test::TempFolder folder;
  test::WriteBytes(folder.File(L"a.exe"), "MZ one");
  test::WriteBytes(folder.File(L"copy.exe"), "MZ one");
  test::WriteBytes(folder.File(L"b.exe"), "MZ two");
  const std::tuple<const wchar_t*, const wchar_t*, bool> cases[] = {
      {L"a.exe", L"copy.exe", true},
      {L"a.exe", L"b.exe", false},
      {L"a.exe", L"missing.exe", true},
      {L"missing.exe", L"b.exe", true},
  };
  for (const auto& [a, b, same] : cases) {
    EXPECT_EQ(same, SameFileContent(folder.File(a), folder.File(b)))
        << test::Narrow(a) << " / " << test::Narrow(b);
  }
}

}  // namespace
}  // namespace updater
