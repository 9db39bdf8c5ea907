#include "transfer/DownloadJob.h"

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/CredentialProvider.h"
#include "transfer/UpdateEvents.h"

namespace updater {

namespace {

constexpr DWORD kMaxFileSize = 0xFFFFFFFF;

}  // namespace

bool DownloadSettings::RefusesAnnouncedSize(std::uint64_t total) const {
  return total > kMaxFileSize || (expectedSize != 0 && total != 0 && total != expectedSize) ||
         (maxSize != 0 && total > maxSize);
}

DWORD DownloadSettings::ByteLimit() const {
  DWORD limit = kMaxFileSize;
  for (const DWORD bound : {expectedSize, maxSize}) {
    if (bound != 0) limit = std::min(limit, bound);
  }
  return limit;
}

bool DownloadJob::IsCanceled() { return events.IsCanceled(); }

void DownloadJob::Report(const std::wstring& text, ResultCode code) {
  Log(kLogTrace, L"AsyncDownloadThread::Error(" + text + L"," + ResultText(code) + L")");
  if (settings.reportsFailures) events.Failed(code, text);
}

ResultCode DownloadJob::Fail(const std::wstring& text, ResultCode code) {
  Report(text, code);
  return code;
}

bool DownloadJob::ObtainCredentials(const std::wstring& realm, const std::wstring& proxyHost,
                                    std::wstring* user, std::wstring* password) {
  if (credentials == nullptr) return false;
  // The server that asks, which a redirect may have made another than the one the download named.
  credentials->SetServer(requestUrl);
  credentials->SetRealm(realm);
  credentials->SetProxyHost(proxyHost);
  if (credentials->GetStoredCredentials(user, password)) return true;
  if (!events.ProvideCredentials(*credentials)) return false;
  return credentials->GetEnteredCredentials(user, password);
}

}  // namespace updater
