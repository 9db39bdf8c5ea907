#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "transfer/HttpOutcome.h"
#include "transfer/InternetSession.h"

namespace updater {

class CredentialProvider;
class UpdateEvents;

// How the downloads of one Downloader go, as its users set it.
struct DownloadSettings {
  // Empty means the system's Internet settings.
  std::wstring proxy;
  // Extra attempts to open a URL.
  int retryAttempts = 6;
  // Requests carry If-Modified-Since when the year is not 0.
  SYSTEMTIME ifModifiedSince = {};
  bool queryLastModified = false;
  // New partial files grant Everyone and LocalSystem full access.
  bool sharedFileAccess = false;
  // 0 accepts any size; otherwise a different announced size, or more bytes than this, fail.
  DWORD expectedSize = 0;
  // 0 accepts any size; otherwise a larger announced size, or more bytes than this, fail.
  DWORD maxSize = 0;
  // Whether failures go to the events' Failed as well as to the log.
  bool reportsFailures = true;
  TransferTimeouts timeouts;

  // Whether a source that announces `total` bytes (0: unknown) is refused before a byte is read.
  bool RefusesAnnouncedSize(std::uint64_t total) const;
  // The most bytes the file may hold: what was expected or allowed, else what a DWORD counts.
  DWORD ByteLimit() const;
};

// What the parts of one download share: the settings, the observer and credentials, the WinINet
// handles, the open file source, and where the transfer stands.
struct DownloadJob {
  DownloadJob(UpdateEvents& observer, CredentialProvider* provider)
      : events(observer), credentials(provider), internet(observer) {}
  DownloadJob(const DownloadJob&) = delete;
  DownloadJob& operator=(const DownloadJob&) = delete;

  bool IsCanceled();
  // Logs the failure and, unless the settings keep it quiet, tells the events.
  void Report(const std::wstring& text, ResultCode code);
  // Reports `code` and returns it.
  ResultCode Fail(const std::wstring& text, ResultCode code);
  // Stored credentials for the server that asks, else those the user enters; false for none.
  bool ObtainCredentials(const std::wstring& realm, const std::wstring& proxyHost,
                         std::wstring* user, std::wstring* password);

  UpdateEvents& events;
  CredentialProvider* const credentials;
  DownloadSettings settings;
  InternetSession internet;
  // The file of a file or share source, read instead of a WinINet request.
  FileHandle sourceFile;

  std::wstring destination;
  std::wstring partialPath;
  // The URL of the list being read.
  std::wstring currentUrl;
  // The URL of the request under way: currentUrl, or where its redirects led.
  std::wstring requestUrl;
  // Whether currentUrl is read through WinINet rather than from a file.
  bool remoteSource = true;
  // Where the source's bytes start in the partial file: asked for, then what the source granted.
  DWORD resumeOffset = 0;
  // Set while one range of the file is asked for, over HTTP only; the partial file is not used.
  std::optional<ByteRange> range;
  // HTTP status of the last response, 0 before any.
  DWORD statusCode = 0;
  // The Retry-After of the last response when it was a 503 or 429, as the server sent it.
  std::wstring retryAfter;
  SYSTEMTIME lastModified = {};
};

}  // namespace updater
