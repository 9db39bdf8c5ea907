#include "transfer/FtpSource.h"

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/CredentialProvider.h"
#include "transfer/FtpReply.h"

namespace updater {

namespace {

using Pending = InternetSession::Pending;

constexpr DWORD kFtpOpenFlags = FTP_TRANSFER_TYPE_BINARY | INTERNET_FLAG_RELOAD;
constexpr wchar_t kFtpRealm[] = L"FTP Server";

ResultCode Connect(InternetSession& internet, const SourceUrl& url, const std::wstring& user,
                   const std::wstring& password) {
  internet.CloseRequest();
  HINTERNET handle = nullptr;
  internet.Begin(Pending::Connect);
  const ResultCode result = internet.AwaitHandle(
      InternetConnectW(internet.Root(), url.host.c_str(), url.port, NullIfEmpty(user),
                       NullIfEmpty(password), INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE,
                       internet.Context()),
      &handle);
  if (result == kSuccess) internet.SetConnection(handle);
  return result;
}

ResultCode SendCommand(InternetSession& internet, const std::wstring& command) {
  internet.Begin(Pending::FtpCommand);
  const BOOL done = FtpCommandW(internet.Connection(), FALSE, FTP_TRANSFER_TYPE_ASCII,
                                command.c_str(), internet.Context(), nullptr);
  const ResultCode result = internet.Await(done);
  // A command that finished at once left its reply with this thread.
  if (done || result != kSuccess) internet.TakeThreadResponseText();
  return result;
}

ResultCode ListedSize(InternetSession& internet, const std::wstring& path, std::uint64_t* size) {
  // Wine keeps no reply text of a command that succeeded, so SIZE tells nothing there; the
  // directory entry does.
  AwaitedInternetHandle find;
  HINTERNET handle = nullptr;
  WIN32_FIND_DATAW* findData = internet.Status().FindData();
  *findData = {};
  internet.Begin(Pending::FtpOpen);
  const ResultCode result = internet.AwaitHandle(
      FtpFindFirstFileW(internet.Connection(), path.c_str(), findData, INTERNET_FLAG_RELOAD,
                        internet.Context()),
      &handle);
  if (result != kSuccess) return result;
  find.Reset(handle, &internet.Status());
  *size = findData->nFileSizeHigh == 0 ? findData->nFileSizeLow : 0;
  return kSuccess;
}

}  // namespace

ResultCode FtpSource::Open(DownloadJob& job, const SourceUrl& url, std::uint64_t* total) {
  InternetSession& internet = job.internet;
  if (job.credentials != nullptr) job.credentials->BeginRequest();
  std::wstring user = user_.empty() ? url.user : user_;
  std::wstring password = user_.empty() ? url.password : password_;
  ResultCode result = Connect(internet, url, user, password);
  while (result == ERROR_INTERNET_INCORRECT_USER_NAME ||
         result == ERROR_INTERNET_INCORRECT_PASSWORD || result == ERROR_INTERNET_LOGIN_FAILURE) {
    if (!job.ObtainCredentials(kFtpRealm, std::wstring(), &user, &password)) return result;
    SetTextOption(internet.Root(), INTERNET_OPTION_USERNAME, user);
    SetTextOption(internet.Root(), INTERNET_OPTION_PASSWORD, password);
    job.credentials->CredentialsUsed();
    user_ = user;
    password_ = password;
    result = Connect(internet, url, user, password);
  }
  if (result != kSuccess) return result;

  // Servers refuse REST and SIZE in ASCII mode, which is where a session starts.
  result = SendCommand(internet, L"TYPE I");
  if (result != kSuccess) return result;
  DWORD size = 0;
  if (SendCommand(internet, L"SIZE " + url.path) == kSuccess &&
      ParseFtpSize(internet.LastResponseText().c_str(), &size)) {
    *total = size;
  } else {
    result = ListedSize(internet, url.path, total);
    if (result == kCanceled) return result;
    // The listing left the session in ASCII mode.
    result = SendCommand(internet, L"TYPE I");
    if (result != kSuccess) return result;
  }
  if (job.resumeOffset != 0) {
    const ResultCode rest = SendCommand(internet, FormatText(L"REST %u", job.resumeOffset));
    if (!IsRestAccepted(rest == kSuccess, internet.LastResponseText().c_str())) {
      job.resumeOffset = 0;
    }
  }
  if (*total != 0 && *total <= job.resumeOffset) {
    return *total == job.resumeOffset ? kSuccess : kNothingBeyondLocal;
  }
  HINTERNET handle = nullptr;
  internet.Begin(Pending::FtpOpen);
  result = internet.AwaitHandle(FtpOpenFileW(internet.Connection(), url.path.c_str(), GENERIC_READ,
                                             kFtpOpenFlags, internet.Context()),
                                &handle);
  if (result != kSuccess) {
    Log(kLogTrace, L"FtpOpenFileW failed: " + internet.LastResponseText());
    return result;
  }
  internet.SetRequest(handle);
  return kSuccess;
}

}  // namespace updater
