#include "transfer/AsyncDownloadThread.h"

#include <sddl.h>
#include <shlobj.h>

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/CredentialProvider.h"
#include "transfer/FtpReply.h"
#include "transfer/HttpOutcome.h"
#include "transfer/RetryPolicy.h"
#include "transfer/UpdateEvents.h"

namespace updater {

namespace {

// Each read costs WinINet a fixed overhead that 51200-byte reads made a third of a loopback
// transfer; a read that has to wait for the network is still waited for in 10 ms slices.
constexpr DWORD kReadBufferSize = 256 * 1024;
constexpr DWORD kWaitSliceMs = 10;
constexpr wchar_t kAgent[] = L"Tovanix";
// Redirects are followed by OpenHttp, not by WinINet: Wine carries the Authorization header that
// one host earned along to the host a redirect names.
constexpr DWORD kHttpRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                    INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT;
// As many as a browser follows before it gives up on a loop.
constexpr int kMaxRedirects = 20;
constexpr DWORD kFtpOpenFlags = FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD;
// A user interface that keeps accepting a certificate or offering credentials the server refuses
// would otherwise send the same request for ever.
constexpr int kMaxSendsPerRequest = 10;
constexpr DWORD kMaxFileSize = 0xFFFFFFFF;
constexpr wchar_t kSharedFileSecurity[] = L"D:(A;;GA;;;WD)(A;;GA;;;SY)";
constexpr wchar_t kFtpRealm[] = L"FTP Server";
constexpr wchar_t kShareRealm[] = L"Local Network Server";

const wchar_t* NullIfEmpty(const std::wstring& text) {
  return text.empty() ? nullptr : text.c_str();
}

std::wstring ParentFolder(const std::wstring& path) {
  const size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

ResultCode CreateParentFolders(const std::wstring& path) {
  const std::wstring folder = ParentFolder(path);
  if (folder.empty() || GetFileAttributesW(folder.c_str()) != INVALID_FILE_ATTRIBUTES) {
    return kSuccess;
  }
  const int result = SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);
  return result == ERROR_SUCCESS || result == ERROR_ALREADY_EXISTS ? kSuccess
                                                                   : static_cast<ResultCode>(result);
}

// The partial file, created with the Everyone/LocalSystem DACL when `shared`.
HANDLE CreateFileForDownload(const std::wstring& path, DWORD disposition, bool shared) {
  LocalSecurityDescriptor descriptor;
  SECURITY_ATTRIBUTES security = {};
  security.nLength = sizeof(security);
  if (shared && ConvertStringSecurityDescriptorToSecurityDescriptorW(
                    kSharedFileSecurity, SDDL_REVISION_1, descriptor.Put(), nullptr)) {
    security.lpSecurityDescriptor = descriptor.Get();
  }
  return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, &security, disposition,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool QueryNumber(HINTERNET request, DWORD query, DWORD* value) {
  DWORD size = sizeof(*value);
  return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, value, &size, nullptr) != FALSE;
}

std::wstring QueryText(HINTERNET request, DWORD query) {
  // First buffer of 520 bytes, grown once to what WinINet asks for.
  std::vector<wchar_t> buffer(260);
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return std::wstring();
    buffer.resize(size / sizeof(wchar_t) + 1);
    if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr)) return std::wstring();
  }
  return std::wstring(buffer.data(), size / sizeof(wchar_t));
}

std::wstring ConfiguredProxy(HINTERNET handle) {
  DWORD size = 0;
  InternetQueryOptionW(handle, INTERNET_OPTION_PROXY, nullptr, &size);
  if (size == 0) return std::wstring();
  std::vector<BYTE> buffer(size);
  if (!InternetQueryOptionW(handle, INTERNET_OPTION_PROXY, buffer.data(), &size)) {
    return std::wstring();
  }
  const auto* info = reinterpret_cast<const INTERNET_PROXY_INFO*>(buffer.data());
  return info->lpszProxy != nullptr ? reinterpret_cast<const wchar_t*>(info->lpszProxy)
                                    : std::wstring();
}

void SetTimeoutOptions(HINTERNET handle, const TransferTimeouts& timeouts) {
  DWORD connect = timeouts.connectMs;
  DWORD receive = timeouts.receiveMs;
  InternetSetOptionW(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof(connect));
  InternetSetOptionW(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &receive, sizeof(receive));
  InternetSetOptionW(handle, INTERNET_OPTION_SEND_TIMEOUT, &receive, sizeof(receive));
}

void SetTextOption(HINTERNET handle, DWORD option, const std::wstring& text) {
  InternetSetOptionW(handle, option, const_cast<wchar_t*>(text.c_str()),
                     static_cast<DWORD>(text.size()));
}

// "\\server\share" of a UNC path; empty for a drive path.
std::wstring ShareOf(const std::wstring& path) {
  if (path.compare(0, 2, L"\\\\") != 0) return std::wstring();
  const size_t server = path.find(L'\\', 2);
  if (server == std::wstring::npos) return std::wstring();
  return path.substr(0, path.find(L'\\', server + 1));
}

struct CopyProgress {
  UpdateEvents* events;
  LARGE_INTEGER reported;
};

DWORD CALLBACK OnCopyProgress(LARGE_INTEGER, LARGE_INTEGER transferred, LARGE_INTEGER,
                              LARGE_INTEGER, DWORD, DWORD, HANDLE, HANDLE, LPVOID data) {
  auto* progress = static_cast<CopyProgress*>(data);
  progress->events->Advanced(
      static_cast<std::uint32_t>(transferred.QuadPart - progress->reported.QuadPart));
  progress->reported = transferred;
  while (progress->events->IsPaused() && !progress->events->IsCanceled()) Sleep(kWaitSliceMs);
  return progress->events->IsCanceled() ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

}  // namespace

AsyncDownloadThread::AsyncDownloadThread(UpdateEvents* events,
                                         CredentialProvider* credentials)
    : events_(events != nullptr ? events : &Unobserved()), credentials_(credentials) {}

AsyncDownloadThread::~AsyncDownloadThread() { CloseTransferHandles(); }

void AsyncDownloadThread::SetProxy(const std::wstring& proxy) { proxy_ = proxy; }
const std::wstring& AsyncDownloadThread::GetProxy() const { return proxy_; }
void AsyncDownloadThread::SetRetryAttempts(int attempts) {
  if (attempts >= 0) retryAttempts_ = attempts;
}
void AsyncDownloadThread::SetIfModifiedSince(const SYSTEMTIME& time) { ifModifiedSince_ = time; }
void AsyncDownloadThread::SetQueryLastModified(bool query) { queryLastModified_ = query; }
void AsyncDownloadThread::SetSharedFileAccess(bool shared) { sharedFileAccess_ = shared; }
SYSTEMTIME AsyncDownloadThread::GetLastModified() const { return lastModified_; }
void AsyncDownloadThread::SetResume(bool resume) { resume_ = resume; }
void AsyncDownloadThread::SetExpectedSize(DWORD bytes) { expectedSize_ = bytes; }

void AsyncDownloadThread::SetMaxSize(DWORD bytes) { maxSize_ = bytes; }

void AsyncDownloadThread::SetReportsFailures(bool reports) { reportsFailures_ = reports; }
void AsyncDownloadThread::SetEvents(UpdateEvents* events) {
  events_ = events != nullptr ? events : &Unobserved();
}

void AsyncDownloadThread::BeginAsync(Pending operation) {
  context_.Get()->Begin(operation);
  // Wine's asynchronous FtpOpenFileW returns NULL without setting any error; a stale one would
  // read as a failure.
  SetLastError(ERROR_SUCCESS);
}

ResultCode AsyncDownloadThread::WaitForCompletion() {
  while (!context_.Get()->Completed()) {
    if (IsCanceled()) return kCanceled;
    context_.Get()->WaitForCompletion(kWaitSliceMs);
  }
  const Pending operation = context_.Get()->PendingOperation();
  if (operation == Pending::Connect || operation == Pending::FtpOpen ||
      operation == Pending::OpenRequest || operation == Pending::FtpCommand) {
    lastResponseText_ = context_.Get()->ResponseText();
  }
  if (context_.Get()->AsyncResult() != 0) return kSuccess;
  const DWORD error = context_.Get()->AsyncError();
  return error != 0 ? static_cast<ResultCode>(error)
                    : static_cast<ResultCode>(ERROR_INTERNET_INTERNAL_ERROR);
}

ResultCode AsyncDownloadThread::AwaitAsync(BOOL succeeded) {
  if (succeeded) {
    context_.Get()->MarkCompleted();
    return kSuccess;
  }
  const DWORD error = GetLastError();
  if (error != ERROR_IO_PENDING) return error;
  return WaitForCompletion();
}

ResultCode AsyncDownloadThread::AwaitHandle(HINTERNET immediate, HINTERNET* handle) {
  if (immediate != nullptr) {
    *handle = immediate;
    context_.Get()->MarkCompleted();
    return kSuccess;
  }
  const DWORD error = GetLastError();
  // Wine's asynchronous FtpOpenFileW delivers its handle later without reporting ERROR_IO_PENDING.
  if (error != ERROR_IO_PENDING && error != ERROR_SUCCESS) return error;
  const ResultCode result = WaitForCompletion();
  if (result == kCanceled) return result;
  *handle = context_.Get()->CurrentHandle();
  if (*handle != nullptr) return kSuccess;
  return result != kSuccess ? result : static_cast<ResultCode>(ERROR_INTERNET_INTERNAL_ERROR);
}

bool AsyncDownloadThread::IsCanceled() { return events_->IsCanceled(); }

void AsyncDownloadThread::Report(const std::wstring& text, ResultCode code) {
  Log(kLogTrace, L"AsyncDownloadThread::Error(" + text + L"," + ResultText(code) + L")");
  if (reportsFailures_) events_->Failed(code, text);
}

ResultCode AsyncDownloadThread::Fail(const std::wstring& text, ResultCode code) {
  Report(text, code);
  return code;
}

bool AsyncDownloadThread::AcceptCertificate(ResultCode error) {
  Log(kLogTrace, L"AsyncDownloadThread::Error(," + ResultText(error) + L")");
  if (!events_->AcceptCertificate(error, request_.Get())) return false;
  if (error == ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED) {
    // Go on without a client certificate.
    return InternetSetOptionW(request_.Get(), INTERNET_OPTION_SECURITY_SELECT_CLIENT_CERT, nullptr,
                              0) != FALSE;
  }
  DWORD flags = 0;
  DWORD size = sizeof(flags);
  InternetQueryOptionW(request_.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
  flags |= CertificateIgnoreFlag(error);
  return InternetSetOptionW(request_.Get(), INTERNET_OPTION_SECURITY_FLAGS, &flags,
                            sizeof(flags)) != FALSE;
}

bool AsyncDownloadThread::ObtainCredentials(const std::wstring& realm,
                                            const std::wstring& proxyHost, std::wstring* user,
                                            std::wstring* password) {
  if (credentials_ == nullptr) return false;
  // The server that asks, which a redirect may have made another than the one the download named.
  credentials_->SetServer(requestUrl_);
  credentials_->SetRealm(realm);
  credentials_->SetProxyHost(proxyHost);
  if (credentials_->GetStoredCredentials(user, password)) return true;
  if (!events_->ProvideCredentials(*credentials_)) return false;
  return credentials_->GetEnteredCredentials(user, password);
}

ResultCode AsyncDownloadThread::InitInetConnection() {
  context_.Reset(InternetStatusContext::Create(kReadBufferSize));
  if (!context_) return ERROR_NOT_ENOUGH_MEMORY;
  root_.Reset(InternetOpenW(kAgent,
                            proxy_.empty() ? INTERNET_OPEN_TYPE_PRECONFIG : INTERNET_OPEN_TYPE_PROXY,
                            NullIfEmpty(proxy_), nullptr, INTERNET_FLAG_ASYNC));
  if (!root_) return GetLastError();
  InternetSetStatusCallbackW(root_.Get(), &InternetStatusContext::StatusCallback);
  SetTimeoutOptions(root_.Get(), timeouts_);
  return kSuccess;
}

void AsyncDownloadThread::CloseTransferHandles() {
  request_.Reset();
  connection_.Reset();
  root_.Reset();
  context_.Reset();
}

ResultCode AsyncDownloadThread::Download(const std::wstring& url,
                                         const std::wstring& destination) {
  return Download(std::vector<std::wstring>{url}, destination);
}

ResultCode AsyncDownloadThread::CheckUrls() {
  if (urls_.empty()) return kUnsupportedScheme;
  for (const std::wstring& url : urls_) {
    SourceUrl parts;
    const ResultCode result = ParseSourceUrl(url, &parts);
    if (result != kSuccess) return result;
  }
  return kSuccess;
}

ResultCode AsyncDownloadThread::Download(const std::vector<std::wstring>& urls,
                                         const std::wstring& destination) {
  urls_ = urls;
  destination_ = destination;
  partialPath_ = destination + L".part";
  CloseTransferHandles();
  statusCode_ = 0;
  lastModified_ = {};

  ResultCode result = CheckUrls();
  if (result != kSuccess) {
    Log(kLogTrace, L"CheckURL() failed");
    return Fail(urls_.empty() ? std::wstring() : urls_.front(), result);
  }
  result = InitInetConnection();
  if (result != kSuccess) {
    Log(kLogTrace, L"InitInetConnection() failed");
    return result;
  }
  if (destination.size() < 2 || !(destination.compare(0, 2, L"\\\\") == 0 || destination[1] == L':')) {
    Report(destination, kUnableToSaveFile);
    CloseTransferHandles();
    return kUnableToSaveFile;
  }

  resumeOffset_ = 0;
  if (resume_) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(partialPath_.c_str(), GetFileExInfoStandard, &data) &&
        data.nFileSizeHigh == 0) {
      resumeOffset_ = data.nFileSizeLow;
    }
  }

  DWORD total = 0;
  result = OpenUrl(&total);
  if (result == kCanceled) {
    Log(kLogTrace, L"Download was canceled");
  } else if (result != kSuccess && result != kNotModified) {
    Log(kLogTrace, L"Connect() failed");
    Report(currentUrl_, result);
  } else if (result == kSuccess && ((expectedSize_ != 0 && total != 0 && total != expectedSize_) ||
                                    (maxSize_ != 0 && total > maxSize_))) {
    Report(currentUrl_, kSizeMismatch);
    result = kSizeMismatch;
  } else if (result == kSuccess) {
    result = remoteSource_ ? ReadRemote(total) : CopyFileSource(total);
  }
  CloseTransferHandles();
  return result;
}

ResultCode AsyncDownloadThread::OpenUrl(DWORD* total) {
  int attempts = std::max(static_cast<int>(urls_.size()) - 1, retryAttempts_);
  if (credentials_ != nullptr) credentials_->BeginRequest();
  const DWORD requestedOffset = resumeOffset_;
  size_t index = 0;
  for (;;) {
    resumeOffset_ = requestedOffset;
    *total = 0;
    const ResultCode result = OpenSource(urls_[index], total);
    Log(kLogTrace, L"OpenUrl() returned:" + ResultText(result));
    if (attempts <= 0 || !ShouldTryNextUrl(result, urls_.size()) || IsCanceled()) return result;
    --attempts;
    index = (index + 1) % urls_.size();
  }
}

ResultCode AsyncDownloadThread::OpenSource(const std::wstring& url, DWORD* total) {
  currentUrl_ = url;
  requestUrl_ = url;
  request_.Reset();
  connection_.Reset();
  SourceUrl parts;
  const ResultCode result = ParseSourceUrl(url, &parts);
  if (result != kSuccess) return result;
  // Each source of a mixed list is read its own way: a file is copied, the others are read.
  remoteSource_ = parts.kind != SourceKind::File;
  switch (parts.kind) {
    case SourceKind::Http:
    case SourceKind::Https: return OpenHttp(parts, total);
    case SourceKind::Ftp: return OpenFtp(parts, total);
    case SourceKind::File: return OpenFileSource(parts, total);
  }
  return kUnsupportedScheme;
}

ResultCode AsyncDownloadThread::OpenHttp(const SourceUrl& url, DWORD* total) {
  SourceUrl target = url;
  for (int redirects = 0;; ++redirects) {
    std::wstring location;
    ResultCode result = RequestHttp(target, total, &location);
    if (result != kSuccess || location.empty()) return result;
    if (redirects == kMaxRedirects) return kRedirectFailed;
    std::wstring next;
    result = ResolveRedirect(requestUrl_, location, &next);
    if (result == kSuccess) result = ParseSourceUrl(next, &target);
    if (result != kSuccess) return result;
    Log(kLogTrace, L"Redirected to " + next);
    requestUrl_ = next;
    request_.Reset();
    connection_.Reset();
  }
}

ResultCode AsyncDownloadThread::RequestHttp(const SourceUrl& url, DWORD* total,
                                            std::wstring* location) {
  const DWORD_PTR context = context_.Get()->Context();
  HINTERNET handle = nullptr;
  BeginAsync(Pending::Connect);
  ResultCode result = AwaitHandle(
      InternetConnectW(root_.Get(), url.host.c_str(), url.port, NullIfEmpty(url.user),
                       NullIfEmpty(url.password), INTERNET_SERVICE_HTTP, 0, context),
      &handle);
  if (result != kSuccess) return result;
  connection_.Reset(handle, context_.Get());

  const wchar_t* acceptTypes[] = {L"*/*", nullptr};
  const DWORD flags = kHttpRequestFlags | (url.kind == SourceKind::Https ? INTERNET_FLAG_SECURE : 0);
  BeginAsync(Pending::OpenRequest);
  result = AwaitHandle(HttpOpenRequestW(connection_.Get(), L"GET", url.path.c_str(), L"HTTP/1.0",
                                        L"", acceptTypes, flags, context),
                       &handle);
  if (result != kSuccess) return result;
  request_.Reset(handle, context_.Get());
  SetTimeoutOptions(request_.Get(), timeouts_);
  return SendHttp(total, location);
}

ResultCode AsyncDownloadThread::SendHttp(DWORD* total, std::wstring* location) {
  const std::wstring headers = BuildRequestHeaders(resumeOffset_, ifModifiedSince_);
  if (credentials_ != nullptr) credentials_->BeginRequest();
  // Each kind of certificate problem is put to the user once: when the same one comes back after
  // it was accepted, accepting it again would not help.
  std::vector<ResultCode> accepted;
  for (int send = 0;; ++send) {
    BeginAsync(Pending::SendRequest);
    const BOOL sent = HttpSendRequestW(request_.Get(), NullIfEmpty(headers),
                                       static_cast<DWORD>(headers.size()), nullptr, 0);
    const ResultCode sendError = AwaitAsync(sent);
    if (sendError == kCanceled) return sendError;
    if (IsCertificateError(sendError)) {
      const bool askedBefore =
          std::find(accepted.begin(), accepted.end(), sendError) != accepted.end();
      if (askedBefore || send + 1 >= kMaxSendsPerRequest || !AcceptCertificate(sendError)) {
        return sendError;
      }
      accepted.push_back(sendError);
      continue;
    }
    if (sendError != kSuccess) return sendError;

    DWORD status = 0;
    if (!QueryNumber(request_.Get(), HTTP_QUERY_STATUS_CODE, &status)) return GetLastError();
    statusCode_ = status;
    if (IsFollowedRedirect(status)) {
      *location = QueryText(request_.Get(), HTTP_QUERY_LOCATION);
      return location->empty() ? kInvalidServerResponse : kSuccess;
    }
    DWORD contentLength = 0;
    if (!QueryNumber(request_.Get(), HTTP_QUERY_CONTENT_LENGTH, &contentLength)) contentLength = 0;
    if (queryLastModified_ && status != 304) {
      DWORD size = sizeof(lastModified_);
      if (!HttpQueryInfoW(request_.Get(), HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME,
                          &lastModified_, &size, nullptr)) {
        lastModified_ = {};
      }
    }
    HttpOutcome outcome = DecideHttpStatus(status, contentLength, resumeOffset_);
    DWORD fileSize = 0;
    if (status == 416 &&
        ParseUnsatisfiedRangeSize(QueryText(request_.Get(), HTTP_QUERY_CONTENT_RANGE), &fileSize) &&
        fileSize == resumeOffset_) {
      // The partial file already holds the whole file; finishing it needs no byte more.
      outcome.result = kSuccess;
      outcome.total = resumeOffset_;
    }
    if (outcome.result == kCredentialsNeeded) {
      if (send + 1 >= kMaxSendsPerRequest) return kCredentialsNeeded;
      const ResultCode authResult = Authenticate(status);
      if (authResult != kSuccess) return authResult;
      continue;
    }
    *total = outcome.total;
    resumeOffset_ = outcome.resumeOffset;
    return outcome.result;
  }
}

ResultCode AsyncDownloadThread::Authenticate(DWORD status) {
  const bool proxy = status == 407;
  const std::wstring realm = ParseRealm(QueryText(
      request_.Get(), proxy ? HTTP_QUERY_PROXY_AUTHENTICATE : HTTP_QUERY_WWW_AUTHENTICATE));
  const std::wstring proxyHost =
      proxy ? ProxyHostOf(proxy_.empty() ? ConfiguredProxy(request_.Get()) : proxy_)
            : std::wstring();
  std::wstring user;
  std::wstring password;
  if (!ObtainCredentials(realm, proxyHost, &user, &password)) return kCredentialsNeeded;
  SetTextOption(request_.Get(), proxy ? INTERNET_OPTION_PROXY_USERNAME : INTERNET_OPTION_USERNAME,
                user);
  SetTextOption(request_.Get(), proxy ? INTERNET_OPTION_PROXY_PASSWORD : INTERNET_OPTION_PASSWORD,
                password);
  credentials_->CredentialsUsed();
  return kSuccess;
}

ResultCode AsyncDownloadThread::ConnectFtp(const SourceUrl& url, const std::wstring& user,
                                           const std::wstring& password) {
  connection_.Reset();
  HINTERNET handle = nullptr;
  BeginAsync(Pending::Connect);
  const ResultCode result = AwaitHandle(
      InternetConnectW(root_.Get(), url.host.c_str(), url.port, NullIfEmpty(user),
                       NullIfEmpty(password), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE,
                       context_.Get()->Context()),
      &handle);
  if (result == kSuccess) connection_.Reset(handle, context_.Get());
  return result;
}

ResultCode AsyncDownloadThread::SendFtpCommand(const std::wstring& command) {
  BeginAsync(Pending::FtpCommand);
  const BOOL done = FtpCommandW(connection_.Get(), FALSE, FTP_TRANSFER_TYPE_ASCII, command.c_str(),
                                context_.Get()->Context(), nullptr);
  const ResultCode result = AwaitAsync(done);
  // A command that finished at once left its reply with this thread.
  if (done || result != kSuccess) lastResponseText_ = InternetStatusContext::ThreadResponseText();
  return result;
}

ResultCode AsyncDownloadThread::FtpFileSize(const std::wstring& path, DWORD* size) {
  // Wine keeps no reply text of a command that succeeded, so SIZE tells nothing there; the
  // directory entry does.
  AwaitedInternetHandle find;
  HINTERNET handle = nullptr;
  WIN32_FIND_DATAW* findData = context_.Get()->FindData();
  *findData = {};
  BeginAsync(Pending::FtpOpen);
  const ResultCode result = AwaitHandle(
      FtpFindFirstFileW(connection_.Get(), path.c_str(), findData, INTERNET_FLAG_RELOAD,
                        context_.Get()->Context()),
      &handle);
  if (result != kSuccess) return result;
  find.Reset(handle, context_.Get());
  *size = findData->nFileSizeHigh == 0 ? findData->nFileSizeLow : 0;
  return kSuccess;
}

ResultCode AsyncDownloadThread::OpenFtp(const SourceUrl& url, DWORD* total) {
  if (credentials_ != nullptr) credentials_->BeginRequest();
  std::wstring user = ftpUser_.empty() ? url.user : ftpUser_;
  std::wstring password = ftpUser_.empty() ? url.password : ftpPassword_;
  ResultCode result = ConnectFtp(url, user, password);
  while (result == ERROR_INTERNET_INCORRECT_USER_NAME ||
         result == ERROR_INTERNET_INCORRECT_PASSWORD || result == ERROR_INTERNET_LOGIN_FAILURE) {
    if (!ObtainCredentials(kFtpRealm, std::wstring(), &user, &password)) return result;
    SetTextOption(root_.Get(), INTERNET_OPTION_USERNAME, user);
    SetTextOption(root_.Get(), INTERNET_OPTION_PASSWORD, password);
    credentials_->CredentialsUsed();
    ftpUser_ = user;
    ftpPassword_ = password;
    result = ConnectFtp(url, user, password);
  }
  if (result != kSuccess) return result;

  // Servers refuse REST and SIZE in ASCII mode, which is where a session starts.
  result = SendFtpCommand(L"TYPE I");
  if (result != kSuccess) return result;
  DWORD size = 0;
  if (SendFtpCommand(L"SIZE " + url.path) == kSuccess && ParseFtpSize(lastResponseText_.c_str(), &size)) {
    *total = size;
  } else {
    result = FtpFileSize(url.path, total);
    if (result == kCanceled) return result;
    // The listing left the session in ASCII mode.
    result = SendFtpCommand(L"TYPE I");
    if (result != kSuccess) return result;
  }
  if (resume_ && resumeOffset_ != 0) {
    const ResultCode rest = SendFtpCommand(FormatText(L"REST %u", resumeOffset_));
    if (!IsRestAccepted(rest == kSuccess, lastResponseText_.c_str())) resumeOffset_ = 0;
  }
  if (*total != 0 && *total <= resumeOffset_) {
    return *total == resumeOffset_ ? kSuccess : kNothingBeyondLocal;
  }
  HINTERNET handle = nullptr;
  BeginAsync(Pending::FtpOpen);
  result = AwaitHandle(FtpOpenFileW(connection_.Get(), url.path.c_str(), GENERIC_READ,
                                    kFtpOpenFlags, context_.Get()->Context()),
                       &handle);
  if (result != kSuccess) {
    Log(kLogTrace, L"FtpOpenFileW failed: " + lastResponseText_);
    return result;
  }
  request_.Reset(handle, context_.Get());
  return kSuccess;
}

ResultCode AsyncDownloadThread::OpenFileSource(const SourceUrl& url, DWORD* total) {
  fileSourcePath_ = url.path;
  if (credentials_ != nullptr) credentials_->BeginRequest();
  WIN32_FILE_ATTRIBUTE_DATA data;
  bool found = GetFileAttributesExW(url.path.c_str(), GetFileExInfoStandard, &data) != FALSE;
  ResultCode result = found ? kSuccess : GetLastError();
  const std::wstring share = ShareOf(url.path);
  std::wstring user;
  std::wstring password;
  while (!found && !share.empty() &&
         (result == ERROR_LOGON_FAILURE || result == ERROR_INVALID_PASSWORD ||
          result == ERROR_BAD_USERNAME || result == ERROR_ACCESS_DENIED)) {
    if (!ObtainCredentials(kShareRealm, std::wstring(), &user, &password)) return result;
    credentials_->CredentialsUsed();
    NETRESOURCEW resource = {};
    resource.dwType = RESOURCETYPE_DISK;
    resource.lpRemoteName = const_cast<wchar_t*>(share.c_str());
    result = WNetAddConnection2W(&resource, password.c_str(), user.c_str(), 0);
    if (result == kSuccess) {
      found = GetFileAttributesExW(url.path.c_str(), GetFileExInfoStandard, &data) != FALSE;
      result = found ? kSuccess : GetLastError();
    }
  }
  if (!found) return result;
  *total = data.nFileSizeLow;
  if (queryLastModified_ || ifModifiedSince_.wYear != 0) {
    FileTimeToSystemTime(&data.ftLastWriteTime, &lastModified_);
    FILETIME since;
    if (ifModifiedSince_.wYear != 0 && SystemTimeToFileTime(&ifModifiedSince_, &since) &&
        CompareFileTime(&data.ftLastWriteTime, &since) <= 0) {
      return kNotModified;
    }
  }
  return kSuccess;
}

ResultCode AsyncDownloadThread::CopyFileSource(DWORD total) {
  events_->ActionBegun(UpdateAction::DownloadFile, total, destination_);
  ResultCode result = CreateParentFolders(partialPath_);
  if (result != kSuccess) return Fail(partialPath_, result);
  if (sharedFileAccess_ && GetFileAttributesW(partialPath_.c_str()) == INVALID_FILE_ATTRIBUTES) {
    FileHandle created(CreateFileForDownload(partialPath_, CREATE_NEW, true));
  }
  CopyProgress progress{events_, {}};
  if (!CopyFileExW(fileSourcePath_.c_str(), partialPath_.c_str(), &OnCopyProgress, &progress,
                   nullptr, 0)) {
    result = GetLastError();
    if (result == ERROR_REQUEST_ABORTED || IsCanceled()) return kCanceled;
    return Fail(fileSourcePath_, result);
  }
  // Wine's CopyFileExW never calls the progress routine; the rest is reported at the end.
  if (progress.reported.QuadPart < total) {
    events_->Advanced(static_cast<std::uint32_t>(total - progress.reported.QuadPart));
  }
  result = MovePartialToDestination();
  if (result == kSuccess) events_->ActionEnded(UpdateAction::DownloadFile, kSuccess);
  return result;
}

ResultCode AsyncDownloadThread::MovePartialToDestination() {
  DeleteFileW(destination_.c_str());
  if (MoveFileW(partialPath_.c_str(), destination_.c_str())) return kSuccess;
  if (CopyFileW(partialPath_.c_str(), destination_.c_str(), FALSE)) {
    DeleteFileW(partialPath_.c_str());
    return kSuccess;
  }
  const ResultCode result = GetLastError();
  Report(destination_, result);
  return result;
}

ResultCode AsyncDownloadThread::CreatePartialFile(FileHandle* file) {
  ResultCode result = CreateParentFolders(partialPath_);
  if (result != kSuccess) {
    Log(kLogTrace, L"CreateSubFolders() failed");
    return Fail(partialPath_, result);
  }
  file->Reset(CreateFileForDownload(partialPath_, resumeOffset_ != 0 ? OPEN_EXISTING : CREATE_ALWAYS,
                                    sharedFileAccess_ && resumeOffset_ == 0));
  if (*file && resumeOffset_ != 0) {
    LARGE_INTEGER end;
    end.QuadPart = resumeOffset_;
    // Bytes beyond the offset the server accepted would otherwise stay behind the new ones.
    if (!SetFilePointerEx(file->Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file->Get())) {
      file->Reset();
    }
  }
  if (*file) return kSuccess;
  result = GetLastError();
  Log(kLogTrace, L"Creation of file to download on disk failed");
  if (IsCanceled()) return kCanceled;
  return Fail(partialPath_, result);
}

ResultCode AsyncDownloadThread::ReadChunk(DWORD* received) {
  DWORD* count = context_.Get()->ReadCount();
  *count = 0;
  BeginAsync(Pending::Read);
  // One read of the whole buffer: Wine never announces more than 8 KiB as available, so asking
  // InternetQueryDataAvailable first would cap every read at that.
  const BOOL read = InternetReadFile(request_.Get(), context_.Get()->Buffer(), kReadBufferSize, count);
  const ResultCode result = AwaitAsync(read);
  if (result == kCanceled) return result;
  // Windows reports the count of an asynchronous read in dwError, Wine through the out parameter.
  const DWORD asyncCount = context_.Get()->AsyncError();
  *received = result == kSuccess && !read && asyncCount > 0 ? asyncCount : *count;
  *received = std::min(*received, kReadBufferSize);
  return result;
}

ResultCode AsyncDownloadThread::Reconnect(HANDLE file, DWORD written, DWORD* total) {
  request_.Reset();
  connection_.Reset();
  FlushFileBuffers(file);
  resumeOffset_ = resume_ ? written : 0;
  const ResultCode result = OpenUrl(total);
  if (result != kSuccess) return result;
  // The server sends the file from its start, which cannot continue what is on disk.
  if (written != 0 && resumeOffset_ != written) return ERROR_INTERNET_TIMEOUT;
  return kSuccess;
}

ResultCode AsyncDownloadThread::ReadRemote(DWORD total) {
  events_->ActionBegun(UpdateAction::DownloadFile, total, destination_);
  if (IsCanceled()) return kCanceled;
  FileHandle file;
  ResultCode result = CreatePartialFile(&file);
  if (result != kSuccess) return result;
  events_->Advanced(resumeOffset_);

  DWORD written = resumeOffset_;
  // The most bytes the file may hold: what was expected or allowed, else what a DWORD counts.
  DWORD limit = kMaxFileSize;
  for (const DWORD bound : {expectedSize_, maxSize_}) {
    if (bound != 0) limit = std::min(limit, bound);
  }
  FruitlessAttempts attempts;
  attempts.Start(written);
  for (;;) {
    if (total != 0 && written >= total) break;
    DWORD received = 0;
    result = ReadChunk(&received);
    if (result == kCanceled) return result;
    if (received > 0) {
      if (received > limit - std::min(written, limit)) {
        // More than expected or allowed: a server that never stops would fill the disk.
        file.Reset();
        DeleteFileW(partialPath_.c_str());
        Log(kLogTrace, L"The server sent more bytes than the expected size");
        return Fail(currentUrl_, kSizeMismatch);
      }
      DWORD done = 0;
      if (!WriteFile(file.Get(), context_.Get()->Buffer(), received, &done, nullptr) || done != received) {
        result = GetLastError();
        Log(kLogTrace, L"Failed to saved in file the bytes read " + ResultText(result));
        return Fail(partialPath_, result);
      }
      written += received;
      events_->Advanced(received);
    }
    if (result == kSuccess && received > 0) {
      while (events_->IsPaused() && !IsCanceled()) Sleep(kWaitSliceMs);
      if (IsCanceled()) return kCanceled;
      continue;
    }
    if (result == kSuccess) {
      Log(kLogTrace, L"AsyncDownloadThread read 0 bytes.");
      if (total == 0) break;
      if (!remoteSource_) return Fail(currentUrl_, kRequestTimeout);
    } else if (!(remoteSource_ && IsDroppedStream(result))) {
      return Fail(currentUrl_, result);
    }
    if (!attempts.MayTryAgain(written)) {
      Log(kLogTrace, L"Reconnecting added no byte; giving up");
      return Fail(currentUrl_, kRequestTimeout);
    }
    result = Reconnect(file.Get(), written, &total);
    if (result == kCanceled) return result;
    if (result != kSuccess) return Fail(currentUrl_, result);
  }
  file.Reset();
  result = MovePartialToDestination();
  if (result == kSuccess) events_->ActionEnded(UpdateAction::DownloadFile, kSuccess);
  return result;
}

}  // namespace updater
