#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Whether revocation lists and responders are asked about the certificates of a signature.
enum class RevocationCheck { None, WholeChain };

// Whether `candidate` (an installer) may run on behalf of `reference` (the updater's own
// executable): 0 when the reference is unsigned, or when both are signed by the same subject and
// the candidate's signature is trusted. Otherwise the error of reading a signature
// (MsiGetFileSignatureInformationW, for example 0x800B0100 for an unsigned candidate or 0x80096010
// for a changed one), kUntrustedPublisher when the candidate's chain is not trusted, or
// kSignerMismatch when the subjects differ. Revocation is not checked.
ResultCode VerifyDigitalSignature(const std::wstring& reference, const std::wstring& candidate);

// As VerifyDigitalSignature, except that an unsigned reference lets nothing pass
// (kSignerMismatch) and that a revoked certificate in the candidate's chain, its root aside, is
// not trusted (kUntrustedPublisher): for a process that runs installers with rights of its own on
// behalf of whoever asks, where an unsigned updater is no publisher at all. Revocation that cannot
// be checked (no network, no distribution point) does not refuse, so that offline machines still
// install.
ResultCode VerifySamePublisher(const std::wstring& reference, const std::wstring& candidate);

// The result of WinVerifyTrust for the file's Authenticode signature, without user interface: 0
// when trusted. With RevocationCheck::WholeChain a revoked certificate gives CERT_E_REVOKED, while
// revocation that could not be checked gives the result without the check.
ResultCode VerifySignatureTrust(const std::wstring& file, RevocationCheck revocation);

// Whether a result of WinVerifyTrust with revocation checks says only that revocation could not be
// checked (CERT_E_REVOCATION_FAILURE and the like), rather than that something is revoked or
// otherwise untrusted.
bool IsRevocationUnchecked(ResultCode trust);

}  // namespace updater
