#pragma once

#include <string>

#include "base/ResultCode.h"

namespace updater {

// How an installer's publisher is held against this updater's.
enum class PublisherRule {
  // As an installation checks it (VerifyDigitalSignature): an unsigned updater lets any installer
  // run, a revoked certificate is not looked for.
  Installation,
  // For a process that runs installers with rights of its own on behalf of whoever asks
  // (VerifySamePublisher): an unsigned updater lets nothing run and a revoked certificate refuses.
  OwnRights,
};

// 0 when `installer` carries the publisher of `reference` (this updater's executable) under
// `rule`; else the error of reading a signature, kUntrustedPublisher or kSignerMismatch.
ResultCode VerifyInstallerPublisher(const std::wstring& reference, const std::wstring& installer,
                                    PublisherRule rule);

// Whether the two files hold the same bytes. Files that cannot be read count as the same, so that
// a failure refuses rather than lets through.
bool SameFileContent(const std::wstring& a, const std::wstring& b);

}  // namespace updater
