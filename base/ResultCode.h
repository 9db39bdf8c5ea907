#pragma once

#include <cstdint>

namespace updater {

// 0 is success; Win32 and WinINet error numbers pass through unchanged; the program's own codes
// have the customer and severity bits of an HRESULT set.
using ResultCode = std::uint32_t;

constexpr ResultCode kSuccess = 0;

constexpr ResultCode kUnableToExpandPath = 0xE0000001;
constexpr ResultCode kConfigFileNotFound = 0xE0000002;
constexpr ResultCode kUndefinedConfigFormat = 0xE0000003;
constexpr ResultCode kUndefinedFileVersion = 0xE0000004;
constexpr ResultCode kUnableToSaveFile = 0xE0000005;
constexpr ResultCode kInvalidCommandLine = 0xE0000006;
constexpr ResultCode kInvalidClientConfig = 0xE0000007;
constexpr ResultCode kCanceled = 0xE0000008;
constexpr ResultCode kFileNotFound = 0xE0000009;
constexpr ResultCode kUnableToFindUpdate = 0xE000000A;
constexpr ResultCode kUnknownException = 0xE000000B;
constexpr ResultCode kInstallationFailed = 0xE000000C;
constexpr ResultCode kDependencyNotInstalled = 0xE000000D;
constexpr ResultCode kInvalidHeader = 0xE000000E;
constexpr ResultCode kRequestTimeout = 0xE000000F;
constexpr ResultCode kNothingBeyondLocal = 0xE0000010;
constexpr ResultCode kUpToDate = 0xE0000011;
constexpr ResultCode kCredentialsNeeded = 0xE0000012;
constexpr ResultCode kNotModified = 0xE0000013;
constexpr ResultCode kStoringCredentialsFailed = 0xE0000013;
constexpr ResultCode kInvalidUpdateSection = 0xE0000014;
constexpr ResultCode kInstallationCanceled = 0xE0000015;
constexpr ResultCode kForbidden = 0xE0000016;
constexpr ResultCode kResumeNotSupported = 0xE0000017;
constexpr ResultCode kResourceNotFound = 0xE0000018;
constexpr ResultCode kCheckDisabledByPolicy = 0xE0000019;
constexpr ResultCode kCheckNotDue = 0xE000001A;
constexpr ResultCode kServiceSecurityFailed = 0xE000001B;
constexpr ResultCode kChannelNotOpen = 0xE000001D;
constexpr ResultCode kMsiexecNotFound = 0xE000001F;
constexpr ResultCode kServiceError = 0xE0000020;
constexpr ResultCode kMd5Mismatch = 0xE0000022;
constexpr ResultCode kSizeMismatch = 0xE0000023;
constexpr ResultCode kOptionNotHere = 0xE0000025;
constexpr ResultCode kUntrustedPublisher = 0xE0000026;
constexpr ResultCode kAnotherInstance = 0xE0000027;
constexpr ResultCode kSignerMismatch = 0xE000002A;
constexpr ResultCode kAppPackageFailed = 0xE000002C;
constexpr ResultCode kUpdatesDisabled = 0xE000002D;
constexpr ResultCode kAutoCheckRequired = 0xE000002E;
constexpr ResultCode kUnresolvedFileUrl = 0xE000002F;
constexpr ResultCode kSha256Mismatch = 0xE0000030;
constexpr ResultCode kInvalidNotification = 0xE0000031;
constexpr ResultCode kPrerelease = 0xE0000032;
constexpr ResultCode kDraftRelease = 0xE0000033;
constexpr ResultCode kUnsafeBatchPath = 0xE0000034;
constexpr ResultCode kLinkedFolder = 0xE0000035;
// A client configuration with a FeedPublicKey accepts only update configuration files signed with
// it, not expired, and not older than the newest it accepted.
constexpr ResultCode kFeedSignatureInvalid = 0xE0000036;
constexpr ResultCode kFeedExpired = 0xE0000037;
constexpr ResultCode kFeedRolledBack = 0xE0000038;
// The service would run, as LocalSystem, a program or configuration that other users can change.
constexpr ResultCode kUnsafeServiceLocation = 0xE0000039;
// A release whose tag holds no version and whose settings give no detection rule: nothing could
// tell it installed, so it is passed over like a draft.
constexpr ResultCode kUnversionedRelease = 0xE000003A;
// The administrator's policy (DisableUpdates) turns updates off: no check contacts a server.
constexpr ResultCode kUpdatesDisabledByAdministrator = 0xE000003B;
// A setting the administrator's policy fixes cannot be changed by /set.
constexpr ResultCode kSetByAdministrator = 0xE000003C;
// The update server answered 503 or 429 with a Retry-After that has not passed yet.
constexpr ResultCode kServerAskedToWait = 0xE000003D;
// A silent installation outside the administrator's UpdateWindow ends without installing.
constexpr ResultCode kOutsideUpdateWindow = 0xE000003E;
// Automatic downloads wait while the connection is metered, unless the policy allows them.
constexpr ResultCode kMeteredConnection = 0xE000003F;

constexpr ResultCode kFirstOwnCode = 0xE0000001;
constexpr ResultCode kLastOwnCode = 0xE000003F;

// Windows errors the run modes produce or treat specially.
constexpr ResultCode kNotImplemented = 120;   // ERROR_CALL_NOT_IMPLEMENTED
constexpr ResultCode kUserCanceled = 1223;    // ERROR_CANCELLED
constexpr ResultCode kInstallUserExit = 1602;  // ERROR_INSTALL_USEREXIT

constexpr bool IsOwnCode(ResultCode code) { return code >= kFirstOwnCode && code <= kLastOwnCode; }

// Quiet results end a run without an error box or error log line.
constexpr bool IsQuietResult(ResultCode code) {
  return code == kSuccess || code == kUpToDate || code == kAnotherInstance || code == kCanceled ||
         code == kUserCanceled || code == kInstallUserExit;
}

}  // namespace updater
