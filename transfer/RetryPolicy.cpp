#include "transfer/RetryPolicy.h"

#include <winsock2.h>
#include <wininet.h>


namespace updater {

bool ShouldTryNextUrl(ResultCode result, std::size_t urlCount) {
  switch (result) {
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return true;
    case kResourceNotFound:
    // A file source that lacks the file, as an HTTP one that answers 404.
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INTERNET_EXTENDED_ERROR:
    case ERROR_INTERNET_ITEM_NOT_FOUND:
    case ERROR_FTP_DROPPED:
      return urlCount >= 2;
    default:
      return false;
  }
}

bool IsDroppedStream(ResultCode result) {
  // Wine reports a receive time-out as the socket's WSAETIMEDOUT rather than 12002.
  return result == WSAETIMEDOUT || result == ERROR_INTERNET_TIMEOUT || result == ERROR_INTERNET_CONNECTION_ABORTED ||
         result == ERROR_INTERNET_CONNECTION_RESET || result == ERROR_INTERNET_DISCONNECTED;
}

bool IsCertificateError(ResultCode result) {
  return result == ERROR_INTERNET_INVALID_CA || result == ERROR_INTERNET_CLIENT_AUTH_CERT_NEEDED ||
         result == ERROR_INTERNET_SEC_CERT_CN_INVALID ||
         result == ERROR_INTERNET_SEC_CERT_DATE_INVALID;
}

DWORD CertificateIgnoreFlag(ResultCode result) {
  switch (result) {
    case ERROR_INTERNET_INVALID_CA: return SECURITY_FLAG_IGNORE_UNKNOWN_CA;
    case ERROR_INTERNET_SEC_CERT_CN_INVALID: return SECURITY_FLAG_IGNORE_CERT_CN_INVALID;
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID: return SECURITY_FLAG_IGNORE_CERT_DATE_INVALID;
    default: return 0;
  }
}

}  // namespace updater
