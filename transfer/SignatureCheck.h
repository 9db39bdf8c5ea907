#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// Whether `candidate` (an installer) may run on behalf of `reference` (the updater's own
// executable): 0 when the reference is unsigned, or when both are signed by the same subject and
// the candidate's signature is trusted. Otherwise the error of reading a signature
// (MsiGetFileSignatureInformationW, for example 0x800B0100 for an unsigned candidate or 0x80096010
// for a changed one), kUntrustedPublisher when the candidate's chain is not trusted, or
// kSignerMismatch when the subjects differ.
ResultCode VerifyDigitalSignature(const std::wstring& reference, const std::wstring& candidate);

// As VerifyDigitalSignature, except that an unsigned reference lets nothing pass
// (kSignerMismatch): for a process that runs installers with rights of its own on behalf of
// whoever asks, where an unsigned updater is no publisher at all.
ResultCode VerifySamePublisher(const std::wstring& reference, const std::wstring& candidate);

// The result of WinVerifyTrust for the file's Authenticode signature, without user interface and
// without revocation checks: 0 when trusted.
ResultCode VerifySignatureTrust(const std::wstring& file);

}  // namespace updater
