#include "transfer/SignatureCheck.h"

#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include "TestSupport.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr ResultCode kNoSignature = 0x800B0100;     // TRUST_E_NOSIGNATURE
constexpr ResultCode kBadDigest = 0x80096010;       // TRUST_E_BAD_DIGEST
constexpr ResultCode kUntrustedRoot = 0x800B0109;   // CERT_E_UNTRUSTEDROOT

// The files of tests/fixtures/sign-fixtures.sh, made at build time.
std::wstring Signed(const wchar_t* name) {
  return test::ThisExecutableFolder() + L"\\fixtures\\signed\\" + name;
}

class SignatureCheckTest : public ::testing::Test {
 protected:
  // Publishers A and B chain to this root; C to one that stays unknown, as a stranger's would.
  static void SetUpTestSuite() { test::TrustRootCertificate(Signed(L"trusted-root.cer")); }
};

TEST_F(SignatureCheckTest, InstallerMustShareTheUpdatersTrustedSigner) {
  struct Case {
    const wchar_t* reference;
    const wchar_t* candidate;
    ResultCode result;
  };
  const Case cases[] = {
      {L"unsigned.exe", L"unsigned.exe", kSuccess},
      {L"unsigned.exe", L"publisher-c.exe", kSuccess},
      {L"unsigned.exe", L"tampered.exe", kSuccess},
      {L"publisher-a.exe", L"publisher-a.exe", kSuccess},
      {L"publisher-a.exe", L"unsigned.exe", kNoSignature},
      {L"publisher-a.exe", L"tampered.exe", kBadDigest},
      {L"publisher-a.exe", L"publisher-b.exe", kSignerMismatch},
      {L"publisher-b.exe", L"publisher-a.exe", kSignerMismatch},
      // Wine's MsiGetFileSignatureInformationW applies the chain policy itself, so an untrusted
      // signer stops at reading the signature with CERT_E_UNTRUSTEDROOT; where the signature is
      // read regardless, the trust check that follows gives kUntrustedPublisher.
      {L"publisher-a.exe", L"publisher-c.exe", kUntrustedRoot},
      {L"publisher-c.exe", L"publisher-c.exe", kUntrustedRoot},
      {L"publisher-c.exe", L"publisher-a.exe", kUntrustedRoot},
      {L"tampered.exe", L"publisher-a.exe", kBadDigest},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, VerifyDigitalSignature(Signed(c.reference), Signed(c.candidate)))
        << std::hex << test::Narrow(c.reference) << " / " << test::Narrow(c.candidate);
  }
}

TEST_F(SignatureCheckTest, MissingInstallerNeverPasses) {
  // Wine reports TRUST_E_NOSIGNATURE for a missing file, Windows a file error: either blocks.
  EXPECT_NE(kSuccess, VerifyDigitalSignature(Signed(L"publisher-a.exe"), Signed(L"missing.exe")));
}

TEST_F(SignatureCheckTest, TrustFollowsTheChainToAnImportedRoot) {
  struct Case {
    const wchar_t* file;
    ResultCode result;
  };
  const Case cases[] = {
      {L"publisher-a.exe", kSuccess},
      {L"publisher-b.exe", kSuccess},
      {L"publisher-c.exe", kUntrustedRoot},
      {L"unsigned.exe", kNoSignature},
      {L"tampered.exe", kBadDigest},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.result, VerifySignatureTrust(Signed(c.file))) << std::hex << test::Narrow(c.file);
  }
}

}  // namespace
}  // namespace updater
