#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "transfer/InternetHandle.h"
#include "transfer/InternetStatusContext.h"
#include "transfer/SourceUrl.h"

namespace updater {

class CredentialProvider;
class UpdateEvents;

// Time limits of one transfer. A server that stops sending counts as a dropped connection after
// `receiveMs`, so that the transfer reconnects instead of waiting for ever.
struct TransferTimeouts {
  DWORD connectMs = 30000;
  DWORD receiveMs = 60000;
};

// Fetches one file at a time from HTTP(S), FTP or a file URL into a local path, through a
// ".part" file that a later call resumes. WinINet runs asynchronously; the calling thread waits in
// 10 ms slices so that cancel and pause through the observer take effect at once.
class AsyncDownloadThread {
 public:
  // Both may be null.
  AsyncDownloadThread(UpdateEvents* events, CredentialProvider* credentials);
  virtual ~AsyncDownloadThread();
  AsyncDownloadThread(const AsyncDownloadThread&) = delete;
  AsyncDownloadThread& operator=(const AsyncDownloadThread&) = delete;

  // Empty means the system's Internet settings.
  virtual void SetProxy(const std::wstring& proxy);
  virtual const std::wstring& GetProxy() const;
  // Extra attempts to open a URL; a negative value is ignored.
  virtual void SetRetryAttempts(int attempts);
  // Requests carry If-Modified-Since when the year is not 0.
  virtual void SetIfModifiedSince(const SYSTEMTIME& time);
  virtual void SetQueryLastModified(bool query);
  // New partial files grant Everyone and LocalSystem full access.
  virtual void SetSharedFileAccess(bool shared);
  // All zero when unknown.
  virtual SYSTEMTIME GetLastModified() const;
  virtual void SetResume(bool resume);
  // 0 accepts any size; otherwise a different announced size, or more bytes than this, fail.
  virtual void SetExpectedSize(DWORD bytes);
  // 0 accepts any size; otherwise a larger announced size, or more bytes than this, fail.
  virtual void SetMaxSize(DWORD bytes);
  // Whether failures go to the events' Failed as well as to the log; they do by default.
  virtual void SetReportsFailures(bool reports);
  virtual void SetEvents(UpdateEvents* events);
  virtual ResultCode Download(const std::vector<std::wstring>& urls,
                              const std::wstring& destination);
  virtual ResultCode Download(const std::wstring& url, const std::wstring& destination);

  void SetTimeouts(const TransferTimeouts& timeouts) { timeouts_ = timeouts; }
  // HTTP status of the last response, 0 before any.
  DWORD StatusCode() const { return statusCode_; }

 private:
  using Pending = InternetStatusContext::Pending;

  void BeginAsync(Pending operation);
  ResultCode AwaitAsync(BOOL succeeded);
  ResultCode AwaitHandle(HINTERNET immediate, HINTERNET* handle);
  ResultCode WaitForCompletion();

  bool IsCanceled();
  void Report(const std::wstring& text, ResultCode code);
  // Reports `code` and returns it.
  ResultCode Fail(const std::wstring& text, ResultCode code);
  bool AcceptCertificate(ResultCode error);
  bool ObtainCredentials(const std::wstring& realm, const std::wstring& proxyHost,
                         std::wstring* user, std::wstring* password);

  ResultCode InitInetConnection();
  ResultCode CheckUrls();
  ResultCode OpenUrl(DWORD* total);
  ResultCode OpenSource(const std::wstring& url, DWORD* total);
  // Follows redirects, each to a request of its own.
  ResultCode OpenHttp(const SourceUrl& url, DWORD* total);
  // One request; a redirect comes back as kSuccess with the Location.
  ResultCode RequestHttp(const SourceUrl& url, DWORD* total, std::wstring* location);
  ResultCode SendHttp(DWORD* total, std::wstring* location);
  ResultCode Authenticate(DWORD status);
  ResultCode ConnectFtp(const SourceUrl& url, const std::wstring& user,
                        const std::wstring& password);
  ResultCode OpenFtp(const SourceUrl& url, DWORD* total);
  ResultCode SendFtpCommand(const std::wstring& command);
  ResultCode FtpFileSize(const std::wstring& path, DWORD* size);
  ResultCode OpenFileSource(const SourceUrl& url, DWORD* total);

  ResultCode CopyFileSource(DWORD total);
  ResultCode ReadRemote(DWORD total);
  ResultCode ReadChunk(DWORD* received);
  ResultCode Reconnect(HANDLE file, DWORD written, DWORD* total);
  ResultCode CreatePartialFile(FileHandle* file);
  ResultCode MovePartialToDestination();
  void CloseTransferHandles();

  UpdateEvents* events_;
  CredentialProvider* credentials_;
  std::wstring destination_;
  std::wstring partialPath_;
  std::vector<std::wstring> urls_;
  std::wstring currentUrl_;
  // The URL of the request under way: currentUrl_, or where its redirects led.
  std::wstring requestUrl_;
  std::wstring fileSourcePath_;

  std::wstring lastResponseText_;

  bool resume_ = true;
  SYSTEMTIME ifModifiedSince_ = {};
  SYSTEMTIME lastModified_ = {};
  bool queryLastModified_ = false;
  std::wstring proxy_;
  int retryAttempts_ = 6;
  bool sharedFileAccess_ = false;
  DWORD expectedSize_ = 0;
  DWORD maxSize_ = 0;
  bool reportsFailures_ = true;
  bool remoteSource_ = true;
  DWORD statusCode_ = 0;
  DWORD resumeOffset_ = 0;
  bool proxyAsked_ = false;
  std::wstring ftpUser_;
  std::wstring ftpPassword_;
  TransferTimeouts timeouts_;

  // Released in this order (reverse of declaration): request, connection, root, context; each
  // transfer has a context of its own, so no late callback of an earlier one reaches it.
  InternetStatusContextRef context_;
  RootInternetHandle root_;
  AwaitedInternetHandle connection_;
  AwaitedInternetHandle request_;
};

}  // namespace updater
