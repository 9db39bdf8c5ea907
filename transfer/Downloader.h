#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "transfer/DeltaAssembly.h"
#include "transfer/DownloadJob.h"
#include "transfer/FtpSource.h"
#include "transfer/InternetSession.h"

namespace updater {

class CredentialProvider;
class UpdateEvents;

// Fetches one file at a time from HTTP(S), FTP, file and share URLs into a local path, through a
// ".part" file that a later call resumes. It walks the URL list, going on to the next URL when one
// cannot be reached or lacks the file, and reads the first that opens.
class Downloader {
 public:
  // Both may be null.
  Downloader(UpdateEvents* events, CredentialProvider* credentials);
  Downloader(const Downloader&) = delete;
  Downloader& operator=(const Downloader&) = delete;

  // Empty means the system's Internet settings.
  void SetProxy(const std::wstring& proxy) { job_.settings.proxy = proxy; }
  // Extra attempts to open a URL; a negative value is ignored.
  void SetRetryAttempts(int attempts) {
    if (attempts >= 0) job_.settings.retryAttempts = attempts;
  }
  // Requests carry If-Modified-Since when the year is not 0.
  void SetIfModifiedSince(const SYSTEMTIME& time) { job_.settings.ifModifiedSince = time; }
  void SetQueryLastModified(bool query) { job_.settings.queryLastModified = query; }
  // New partial files grant Everyone and LocalSystem full access.
  void SetSharedFileAccess(bool shared) { job_.settings.sharedFileAccess = shared; }
  // 0 accepts any size; otherwise a different announced size, or more bytes than this, fail.
  void SetExpectedSize(DWORD bytes) { job_.settings.expectedSize = bytes; }
  // 0 accepts any size; otherwise a larger announced size, or more bytes than this, fail.
  void SetMaxSize(DWORD bytes) { job_.settings.maxSize = bytes; }
  // Whether failures go to the events' Failed as well as to the log; they do by default.
  void SetReportsFailures(bool reports) { job_.settings.reportsFailures = reports; }
  void SetTimeouts(const TransferTimeouts& timeouts) { job_.settings.timeouts = timeouts; }

  ResultCode Download(const std::vector<std::wstring>& urls, const std::wstring& destination);
  ResultCode Download(const std::wstring& url, const std::wstring& destination);

  // Puts the file together at `destination` as the recipe says, fetching its ranges from the
  // first of `urls` that answers over HTTP(S) (AssembleDelta). The partial file of a full download
  // is used on the way and deleted on any failure, so that a full download then starts afresh.
  // Failures are returned, never reported: the caller has the full download to fall back on.
  ResultCode DownloadDelta(const std::vector<std::wstring>& urls, const DeltaRecipe& recipe,
                           const std::wstring& destination);

  // All zero when unknown.
  SYSTEMTIME GetLastModified() const { return job_.lastModified; }
  // HTTP status of the last response, 0 before any.
  DWORD StatusCode() const { return job_.statusCode; }
  // The Retry-After of the last response when it was a 503 or 429 (at most kMaxRetryAfterChars
  // characters), else empty.
  const std::wstring& RetryAfter() const { return job_.retryAfter; }

 private:
  // Takes the list and opens the WinINet session for a transfer: 0 or the reported failure.
  ResultCode Prepare(const std::vector<std::wstring>& urls);
  ResultCode CheckUrls() const;
  // One range of the file from the list's URLs into the sink.
  ResultCode FetchRange(const ByteRange& range, const ByteSink& sink);
  // Opens the list's URLs in turn from the first until one opens, as often as the retries allow.
  ResultCode OpenUrl(std::uint64_t* total);
  ResultCode OpenSource(const std::wstring& url, std::uint64_t* total);
  void CloseSource();

  std::vector<std::wstring> urls_;
  DownloadJob job_;
  FtpSource ftp_;
};

}  // namespace updater
