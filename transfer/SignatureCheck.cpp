#include "transfer/SignatureCheck.h"

#include <windows.h>
#include <wincrypt.h>
#include <msi.h>
#include <softpub.h>
#include <wintrust.h>

#include <vector>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr ResultCode kNoSignature = static_cast<ResultCode>(TRUST_E_NOSIGNATURE);
constexpr DWORD kSubjectNameFormat = CERT_X500_NAME_STR | CERT_NAME_STR_REVERSE_FLAG;

ResultCode ReadSigner(const std::wstring& file, CertContext* certificate) {
  PCCERT_CONTEXT context = nullptr;
  const HRESULT result = MsiGetFileSignatureInformationW(file.c_str(), MSI_INVALID_HASH_IS_FATAL,
                                                         &context, nullptr, nullptr);
  certificate->Reset(context);
  return static_cast<ResultCode>(result);
}

std::wstring SubjectName(const CertContext& certificate) {
  CERT_NAME_BLOB* subject = &certificate.Get()->pCertInfo->Subject;
  const DWORD length =
      CertNameToStrW(X509_ASN_ENCODING, subject, kSubjectNameFormat, nullptr, 0);
  std::vector<wchar_t> text(length);
  CertNameToStrW(X509_ASN_ENCODING, subject, kSubjectNameFormat, text.data(), length);
  // The length counts the terminator.
  return std::wstring(text.data(), length > 0 ? length - 1 : 0);
}

ResultCode CompareSigners(const std::wstring& reference, const std::wstring& candidate,
                          ResultCode unsignedReference, RevocationCheck revocation) {
  CertContext referenceSigner;
  const ResultCode referenceResult = ReadSigner(reference, &referenceSigner);
  if (referenceResult == kNoSignature) return unsignedReference;
  if (referenceResult != kSuccess) return referenceResult;
  CertContext candidateSigner;
  const ResultCode candidateResult = ReadSigner(candidate, &candidateSigner);
  if (candidateResult != kSuccess) return candidateResult;
  const bool sameSigner = SubjectName(referenceSigner) == SubjectName(candidateSigner);
  const ResultCode trust = VerifySignatureTrust(candidate, revocation);
  Log(kLogDebug, L"VerifySignatureTrust returned: " + FormatText(L"0x%X", trust));
  if (trust != kSuccess) return kUntrustedPublisher;
  return sameSigner ? kSuccess : kSignerMismatch;
}

ResultCode WinVerifyTrustOf(const std::wstring& file, RevocationCheck revocation) {
  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = file.c_str();
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  const bool wholeChain = revocation == RevocationCheck::WholeChain;
  data.fdwRevocationChecks = wholeChain ? WTD_REVOKE_WHOLECHAIN : WTD_REVOKE_NONE;
  // Every certificate but the root, which nothing above it could revoke: its revocation is never
  // known and would read as unchecked.
  data.dwProvFlags = wholeChain ? WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT : 0;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  const LONG result = WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  // The verification keeps state until it is closed, whatever its result.
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  return static_cast<ResultCode>(result);
}

}  // namespace

ResultCode VerifyDigitalSignature(const std::wstring& reference, const std::wstring& candidate) {
  // An unsigned updater has no publisher to hold installers to.
  return CompareSigners(reference, candidate, kSuccess, RevocationCheck::None);
}

ResultCode VerifySamePublisher(const std::wstring& reference, const std::wstring& candidate) {
  return CompareSigners(reference, candidate, kSignerMismatch, RevocationCheck::WholeChain);
}

ResultCode VerifySignatureTrust(const std::wstring& file, RevocationCheck revocation) {
  const ResultCode checked = WinVerifyTrustOf(file, revocation);
  if (revocation == RevocationCheck::None || !IsRevocationUnchecked(checked)) return checked;
  Log(kLogInfo, L"The revocation of the certificates of " + file + L" could not be checked (" +
                    FormatText(L"0x%X", checked) + L"); the signature is judged without it.");
  return WinVerifyTrustOf(file, RevocationCheck::None);
}

bool IsRevocationUnchecked(ResultCode trust) {
  switch (static_cast<HRESULT>(trust)) {
    case CERT_E_REVOCATION_FAILURE:
    case CRYPT_E_REVOCATION_OFFLINE:
    case CRYPT_E_NO_REVOCATION_CHECK:
    case CRYPT_E_NO_REVOCATION_DLL:
    case CRYPT_E_NOT_IN_REVOCATION_DATABASE:
      return true;
    default:
      return false;
  }
}

}  // namespace updater
