#pragma once

#include <windows.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

class ClientConfig;
class CredentialProvider;
class UpdateEvents;

// The local copy of the update configuration file: the downloads folder joined with the file
// name of the first URL. kInvalidClientConfig when the URL names no file that can be kept there.
ResultCode LocalConfigurationPath(const std::wstring& downloadsFolder, const std::wstring& firstUrl,
                                  std::wstring* path);

// The If-Modified-Since time of the fetch: the stored LastModified time when the local copy
// exists and the time is later than zero; all zero (no condition) otherwise.
SYSTEMTIME ConditionTime(bool localCopyExists, bool hasStoredTime, const FILETIME& storedTime);

// Accepts the local copy only when it carries the publisher's signature (for a configuration
// with a FeedPublicKey), has not expired and is not older than the newest copy accepted, whose
// serial is then kept in the settings. A refused copy is logged and removed with its LastModified
// time, so that the next check fetches it anew. 0 without a key. `signedPart` receives the bytes
// the signature covers, read once with writers kept out: those are what is to be parsed. It stays
// empty without a key.
ResultCode VerifyConfigurationFile(const ClientConfig& config, const std::wstring& localPath,
                                   std::string* signedPart);

// Fetches the update configuration file from the configuration's URLs into `localPath`, asking
// only for a copy newer than the one there, and keeps the server's Last-Modified time in the
// settings for the next fetch. An answer of "not modified" leaves the local copy in use. Either
// copy is verified (VerifyConfigurationFile, which fills `signedPart`) before it is used.
// `credentials` (may be null) answers the challenges. A 503 or 429 answer whose Retry-After asks
// for a wait is remembered (RememberServerWait) and ends the fetch with kServerAskedToWait; a
// fetch that succeeds, or finds the copy not modified, forgets an earlier wait.
ResultCode FetchConfiguration(const ClientConfig& config, const std::wstring& localPath,
                              UpdateEvents* events, CredentialProvider* credentials,
                              std::string* signedPart);

// Fetches a file that a release listing names (at most `size` bytes) as the update configuration
// file is fetched, without a condition. Its failure is the caller's to report: the events see
// the transfer (progress, cancel, certificates, credentials) but not the failure.
ResultCode FetchReleaseAsset(const ClientConfig& config, const std::wstring& url, DWORD size,
                             const std::wstring& localPath, UpdateEvents* events,
                             CredentialProvider* credentials);

}  // namespace updater
