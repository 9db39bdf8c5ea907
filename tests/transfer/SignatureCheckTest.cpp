#include "transfer/SignatureCheck.h"

#include <gtest/gtest.h>

#include <tuple>

#include "TestSupport.h"

namespace updater {
namespace {

constexpr ResultCode kNoSignature = 0x800B0100;    // TRUST_E_NOSIGNATURE
constexpr ResultCode kBadDigest = 0x80096010;      // TRUST_E_BAD_DIGEST
constexpr ResultCode kUntrustedRoot = 0x800B0109;  // CERT_E_UNTRUSTEDROOT

// The files of tests/fixtures/sign-fixtures.sh, made at build time. Publishers A and B chain to
// the imported root; C to one that stays unknown, as a stranger's would.
std::wstring Signed(const wchar_t* name) {
  return test::FixturePath(L"signed\\") + name;
}

TEST(SignatureCheckTest, InstallerMustShareTheUpdatersTrustedSigner) {
  test::TrustRootCertificate(Signed(L"trusted-root.cer"));
  // Wine's MsiGetFileSignatureInformationW applies the chain policy itself, so an untrusted signer
  // fails as the signature is read (CERT_E_UNTRUSTEDROOT), not at the trust check after it.
  const std::tuple<const wchar_t*, const wchar_t*, ResultCode> cases[] = {
      {L"unsigned.exe", L"tampered.exe", kSuccess},  // an unsigned updater holds nobody to a signer
      {L"publisher-a.exe", L"publisher-a.exe", kSuccess},
      {L"publisher-a.exe", L"unsigned.exe", kNoSignature},
      {L"publisher-a.exe", L"tampered.exe", kBadDigest},
      {L"publisher-a.exe", L"publisher-b.exe", kSignerMismatch},
      {L"publisher-a.exe", L"publisher-c.exe", kUntrustedRoot},
      {L"publisher-c.exe", L"publisher-a.exe", kUntrustedRoot},
      {L"tampered.exe", L"publisher-a.exe", kBadDigest},
  };
  for (const auto& [reference, candidate, result] : cases) {
    EXPECT_EQ(result, VerifyDigitalSignature(Signed(reference), Signed(candidate)))
        << std::hex << test::Narrow(reference) << " / " << test::Narrow(candidate);
  }
  // The support server's check: no unsigned reference, and the fixtures' chains, which name no
  // revocation list, pass as revocation that could not be checked.
  EXPECT_EQ(kSuccess, VerifySamePublisher(Signed(L"publisher-a.exe"), Signed(L"publisher-a.exe")));
  EXPECT_EQ(kSignerMismatch, VerifySamePublisher(Signed(L"unsigned.exe"), Signed(L"tampered.exe")));
  // Wine reports TRUST_E_NOSIGNATURE for a missing file, Windows a file error: either blocks.
  EXPECT_NE(kSuccess, VerifyDigitalSignature(Signed(L"publisher-a.exe"), Signed(L"missing.exe")));
  const std::pair<const wchar_t*, ResultCode> trust[] = {
      {L"publisher-b.exe", kSuccess}, {L"publisher-c.exe", kUntrustedRoot},
      {L"unsigned.exe", kNoSignature}, {L"tampered.exe", kBadDigest}};
  for (const auto& [file, result] : trust) {
    for (const RevocationCheck revocation : {RevocationCheck::None, RevocationCheck::WholeChain}) {
      EXPECT_EQ(result, VerifySignatureTrust(Signed(file), revocation))
          << std::hex << test::Narrow(file) << " revocation " << static_cast<int>(revocation);
    }
  }
}

TEST(SignatureCheckTest, OnlyRevocationThatCouldNotBeCheckedIsLeftAside) {
  // A revoked certificate refuses; an unreachable list or responder does not keep offline machines
  // from installing. Wine 8 never checks revocation in WinVerifyTrust, so the results of Windows
  // are listed here.
  const std::pair<ResultCode, bool> cases[] = {
      {0x800B010E, true},    // CERT_E_REVOCATION_FAILURE: what WinVerifyTrust reports offline
      {0x80092013, true},    // CRYPT_E_REVOCATION_OFFLINE
      {0x80092012, true},    // CRYPT_E_NO_REVOCATION_CHECK
      {0x80092011, true},    // CRYPT_E_NO_REVOCATION_DLL
      {0x80092014, true},    // CRYPT_E_NOT_IN_REVOCATION_DATABASE
      {0x800B010C, false},   // CERT_E_REVOKED
      {0x80092010, false},   // CRYPT_E_REVOKED
      {kUntrustedRoot, false}, {kBadDigest, false}, {kNoSignature, false}, {kSuccess, false},
  };
  for (const auto& [trust, unchecked] : cases) {
    EXPECT_EQ(unchecked, IsRevocationUnchecked(trust)) << std::hex << trust;
  }
}

}  // namespace
}  // namespace updater
