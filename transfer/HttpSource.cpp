#include "transfer/HttpSource.h"

#include <algorithm>
#include <string>
#include <vector>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/CredentialProvider.h"
#include "transfer/HttpOutcome.h"
#include "transfer/RetryAfter.h"
#include "transfer/RetryPolicy.h"
#include "transfer/UpdateEvents.h"

namespace updater {

namespace {

using Pending = InternetSession::Pending;

// Redirects are followed by OpenHttpSource, not by WinINet: Wine carries the Authorization header
// that one host earned along to the host a redirect names.
constexpr DWORD kHttpRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                    INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_NO_AUTO_REDIRECT;
// As many as a browser follows before it gives up on a loop.
constexpr int kMaxRedirects = 20;
// A user interface that keeps accepting a certificate or offering credentials the server refuses
// would otherwise send the same request for ever.
constexpr int kMaxSendsPerRequest = 10;

// What a request that succeeded leads to besides its body: a redirect to `location`, or the same
// URL asked again for the whole file.
struct Followup {
  std::wstring location;
  bool wholeFile = false;
};

bool QueryNumber(HINTERNET request, DWORD query, DWORD* value) {
  DWORD size = sizeof(*value);
  return HttpQueryInfoW(request, query | HTTP_QUERY_FLAG_NUMBER, value, &size, nullptr) != FALSE;
}

// Empty as well for a value longer than `maxChars`, which is not copied.
std::wstring QueryText(HINTERNET request, DWORD query, size_t maxChars = std::wstring::npos) {
  // First buffer of 520 bytes, grown once to what WinINet asks for.
  std::vector<wchar_t> buffer(260);
  DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
  if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || size / sizeof(wchar_t) > maxChars) {
      return std::wstring();
    }
    buffer.resize(size / sizeof(wchar_t) + 1);
    if (!HttpQueryInfoW(request, query, buffer.data(), &size, nullptr)) return std::wstring();
  }
  const size_t length = size / sizeof(wchar_t);
  return length <= maxChars ? std::wstring(buffer.data(), length) : std::wstring();
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

bool AcceptCertificate(DownloadJob& job, ResultCode error) {
  Log(kLogTrace, L"AsyncDownloadThread::Error(," + ResultText(error) + L")");
  const HINTERNET request = job.internet.Request();
  if (!job.events.AcceptCertificate(error, request)) return false;
  if (error == ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED) {
    // Go on without a client certificate.
    return InternetSetOptionW(request, INTERNET_OPTION_SECURITY_SELECT_CLIENT_CERT, nullptr, 0) !=
           FALSE;
  }
  DWORD flags = 0;
  DWORD size = sizeof(flags);
  InternetQueryOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, &size);
  flags |= CertificateIgnoreFlag(error);
  return InternetSetOptionW(request, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof(flags)) !=
         FALSE;
}

ResultCode Authenticate(DownloadJob& job, DWORD status) {
  const HINTERNET request = job.internet.Request();
  const bool proxy = status == 407;
  const std::wstring realm =
      ParseRealm(QueryText(request, proxy ? HTTP_QUERY_PROXY_AUTHENTICATE
                                          : HTTP_QUERY_WWW_AUTHENTICATE));
  const std::wstring& configured = job.settings.proxy;
  const std::wstring proxyHost =
      proxy ? ProxyHostOf(configured.empty() ? ConfiguredProxy(request) : configured)
            : std::wstring();
  std::wstring user;
  std::wstring password;
  if (!job.ObtainCredentials(realm, proxyHost, &user, &password)) return kCredentialsNeeded;
  SetTextOption(request, proxy ? INTERNET_OPTION_PROXY_USERNAME : INTERNET_OPTION_USERNAME, user);
  SetTextOption(request, proxy ? INTERNET_OPTION_PROXY_PASSWORD : INTERNET_OPTION_PASSWORD,
                password);
  job.credentials->CredentialsUsed();
  return kSuccess;
}

void QueryLastModified(DownloadJob& job, DWORD status) {
  if (!job.settings.queryLastModified || status == 304) return;
  DWORD size = sizeof(job.lastModified);
  if (!HttpQueryInfoW(job.internet.Request(), HTTP_QUERY_LAST_MODIFIED | HTTP_QUERY_FLAG_SYSTEMTIME,
                      &job.lastModified, &size, nullptr)) {
    job.lastModified = {};
  }
}

ResultCode SendHttp(DownloadJob& job, std::uint64_t* total, Followup* followup) {
  const std::wstring headers = job.range
                                   ? FormatRangeHeader(*job.range)
                                   : BuildRequestHeaders(job.resumeOffset, job.settings.ifModifiedSince);
  if (job.credentials != nullptr) job.credentials->BeginRequest();
  // Each kind of certificate problem is put to the user once: when the same one comes back after
  // it was accepted, accepting it again would not help.
  std::vector<ResultCode> accepted;
  for (int send = 0;; ++send) {
    const HINTERNET request = job.internet.Request();
    job.internet.Begin(Pending::SendRequest);
    const BOOL sent = HttpSendRequestW(request, NullIfEmpty(headers),
                                       static_cast<DWORD>(headers.size()), nullptr, 0);
    const ResultCode sendError = job.internet.Await(sent);
    if (sendError == kCanceled) return sendError;
    if (IsCertificateError(sendError)) {
      const bool askedBefore =
          std::find(accepted.begin(), accepted.end(), sendError) != accepted.end();
      if (askedBefore || send + 1 >= kMaxSendsPerRequest || !AcceptCertificate(job, sendError)) {
        return sendError;
      }
      accepted.push_back(sendError);
      continue;
    }
    if (sendError != kSuccess) return sendError;

    DWORD status = 0;
    if (!QueryNumber(request, HTTP_QUERY_STATUS_CODE, &status)) return GetLastError();
    job.statusCode = status;
    // Kept for the caller, which decides whether to heed it.
    job.retryAfter = status == 503 || status == 429
                         ? QueryText(request, HTTP_QUERY_RETRY_AFTER, kMaxRetryAfterChars)
                         : std::wstring();
    if (IsFollowedRedirect(status)) {
      followup->location = QueryText(request, HTTP_QUERY_LOCATION);
      return followup->location.empty() ? kInvalidServerResponse : kSuccess;
    }
    DWORD contentLength = 0;
    if (!QueryNumber(request, HTTP_QUERY_CONTENT_LENGTH, &contentLength)) contentLength = 0;
    QueryLastModified(job, status);
    const std::wstring contentRange = QueryText(request, HTTP_QUERY_CONTENT_RANGE);
    const HttpOutcome outcome =
        job.range ? DecideRangeAnswer(status, contentRange, *job.range, job.settings.expectedSize)
                  : DecideHttpStatus(status, contentLength, contentRange, job.resumeOffset);
    if (outcome.result == kCredentialsNeeded) {
      if (send + 1 >= kMaxSendsPerRequest) return kCredentialsNeeded;
      const ResultCode authResult = Authenticate(job, status);
      if (authResult != kSuccess) return authResult;
      continue;
    }
    if (outcome.wholeFile) {
      followup->wholeFile = true;
      return kSuccess;
    }
    *total = outcome.total;
    job.resumeOffset = outcome.resumeOffset;
    return outcome.result;
  }
}

// One request; a redirect or a body that does not continue the partial file comes back as
// kSuccess with what to do next.
ResultCode RequestHttp(DownloadJob& job, const SourceUrl& url, std::uint64_t* total,
                       Followup* followup) {
  InternetSession& internet = job.internet;
  const DWORD_PTR context = internet.Context();
  HINTERNET handle = nullptr;
  internet.Begin(Pending::Connect);
  ResultCode result = internet.AwaitHandle(
      InternetConnectW(internet.Root(), url.host.c_str(), url.port, NullIfEmpty(url.user),
                       NullIfEmpty(url.password), INTERNET_SERVICE_HTTP, 0, context),
      &handle);
  if (result != kSuccess) return result;
  internet.SetConnection(handle);

  const wchar_t* acceptTypes[] = {L"*/*", nullptr};
  const DWORD flags = kHttpRequestFlags | (url.kind == SourceKind::Https ? INTERNET_FLAG_SECURE : 0);
  internet.Begin(Pending::OpenRequest);
  result = internet.AwaitHandle(HttpOpenRequestW(internet.Connection(), L"GET", url.path.c_str(),
                                                 L"HTTP/1.0", L"", acceptTypes, flags, context),
                                &handle);
  if (result != kSuccess) return result;
  internet.SetRequest(handle);
  SetTimeoutOptions(handle, job.settings.timeouts);
  return SendHttp(job, total, followup);
}

}  // namespace

ResultCode OpenHttpSource(DownloadJob& job, const SourceUrl& url, std::uint64_t* total) {
  SourceUrl target = url;
  for (int redirects = 0;;) {
    Followup followup;
    ResultCode result = RequestHttp(job, target, total, &followup);
    if (result != kSuccess) return result;
    if (followup.wholeFile) {
      // Asked without a Range this time, so the answer cannot send it back here again.
      Log(kLogTrace, FormatText(L"The server's partial answer does not continue the %u bytes on "
                                L"disk; asking for the whole file",
                                job.resumeOffset));
      job.resumeOffset = 0;
      job.internet.CloseRequest();
      continue;
    }
    if (followup.location.empty()) return kSuccess;
    if (redirects++ == kMaxRedirects) return kRedirectFailed;
    std::wstring next;
    result = ResolveRedirect(job.requestUrl, followup.location, &next);
    if (result == kSuccess) result = ParseSourceUrl(next, &target);
    if (result != kSuccess) return result;
    Log(kLogTrace, L"Redirected to " + next);
    job.requestUrl = next;
    job.internet.CloseRequest();
  }
}

}  // namespace updater
