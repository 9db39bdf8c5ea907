#include "transfer/Downloader.h"

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/CredentialProvider.h"
#include "transfer/FileSource.h"
#include "transfer/HttpSource.h"
#include "transfer/PartialFile.h"
#include "transfer/ReadLoop.h"
#include "transfer/RetryPolicy.h"
#include "transfer/SourceUrl.h"
#include "transfer/UpdateEvents.h"

namespace updater {

Downloader::Downloader(UpdateEvents* events, CredentialProvider* credentials)
    : job_(events != nullptr ? *events : Unobserved(), credentials) {}

ResultCode Downloader::Download(const std::wstring& url, const std::wstring& destination) {
  return Download(std::vector<std::wstring>{url}, destination);
}

ResultCode Downloader::CheckUrls() const {
  if (urls_.empty()) return kUnsupportedScheme;
  for (const std::wstring& url : urls_) {
    SourceUrl parts;
    const ResultCode result = ParseSourceUrl(url, &parts);
    if (result != kSuccess) return result;
  }
  return kSuccess;
}

void Downloader::CloseSource() {
  job_.sourceFile.Reset();
  job_.internet.Close();
}

ResultCode Downloader::Prepare(const std::vector<std::wstring>& urls) {
  urls_ = urls;
  CloseSource();
  job_.range.reset();
  job_.statusCode = 0;
  job_.retryAfter.clear();
  job_.lastModified = {};

  ResultCode result = CheckUrls();
  if (result != kSuccess) {
    Log(kLogTrace, L"CheckURL() failed");
    return job_.Fail(urls_.empty() ? std::wstring() : urls_.front(), result);
  }
  result = job_.internet.Open(job_.settings.proxy, job_.settings.timeouts);
  if (result != kSuccess) Log(kLogTrace, L"InitInetConnection() failed");
  return result;
}

ResultCode Downloader::Download(const std::vector<std::wstring>& urls,
                                const std::wstring& destination) {
  job_.destination = destination;
  job_.partialPath = destination + L".part";
  ResultCode result = Prepare(urls);
  if (result != kSuccess) return result;
  if (destination.size() < 2 || !(destination.compare(0, 2, L"\\\\") == 0 || destination[1] == L':')) {
    job_.Report(destination, kUnableToSaveFile);
    CloseSource();
    return kUnableToSaveFile;
  }

  job_.resumeOffset = PartialFileSize(job_.partialPath);
  std::uint64_t total = 0;
  result = OpenUrl(&total);
  if (result == kCanceled) {
    Log(kLogTrace, L"Download was canceled");
  } else if (result != kSuccess && result != kNotModified) {
    Log(kLogTrace, L"Connect() failed");
    job_.Report(job_.currentUrl, result);
  } else if (result == kSuccess && job_.settings.RefusesAnnouncedSize(total)) {
    job_.Report(job_.currentUrl, kSizeMismatch);
    result = kSizeMismatch;
  } else if (result == kSuccess) {
    result = ReadIntoPartialFile(job_, total, [this](std::uint64_t* reopened) {
      return OpenUrl(reopened);
    });
  }
  CloseSource();
  return result;
}

ResultCode Downloader::DownloadDelta(const std::vector<std::wstring>& urls,
                                     const DeltaRecipe& recipe, const std::wstring& destination) {
  job_.destination = destination;
  job_.partialPath = destination + L".part";
  job_.resumeOffset = 0;
  // Each range answer must name the file's size; a failure is the caller's to report, who
  // downloads the whole file then.
  const DownloadSettings settings = job_.settings;
  job_.settings.expectedSize = static_cast<DWORD>(recipe.target.size);
  job_.settings.reportsFailures = false;
  ResultCode result = Prepare(urls);
  FileHandle file;
  if (result == kSuccess) result = CreatePartialFile(job_, &file);
  if (result == kSuccess) {
    job_.events.ActionBegun(UpdateAction::DownloadFile, job_.settings.expectedSize, destination);
    result = AssembleDelta(recipe, file.Get(), job_.events,
                           [this](const ByteRange& range, const ByteSink& sink) {
                             return FetchRange(range, sink);
                           });
    file.Reset();
    if (result == kSuccess) result = MovePartialToDestination(job_);
    if (result != kSuccess) DeleteFileW(job_.partialPath.c_str());
  }
  CloseSource();
  job_.settings = settings;
  if (result == kSuccess) job_.events.ActionEnded(UpdateAction::DownloadFile, kSuccess);
  return result;
}

ResultCode Downloader::FetchRange(const ByteRange& range, const ByteSink& sink) {
  job_.range = range;
  job_.resumeOffset = 0;
  std::uint64_t total = 0;
  ResultCode result = OpenUrl(&total);
  if (result == kSuccess) result = ReadBody(job_, total, sink);
  job_.internet.CloseRequest();
  job_.range.reset();
  return result;
}

ResultCode Downloader::OpenUrl(std::uint64_t* total) {
  int attempts = std::max(static_cast<int>(urls_.size()) - 1, job_.settings.retryAttempts);
  if (job_.credentials != nullptr) job_.credentials->BeginRequest();
  const DWORD requestedOffset = job_.resumeOffset;
  size_t index = 0;
  for (;;) {
    job_.resumeOffset = requestedOffset;
    *total = 0;
    const ResultCode result = OpenSource(urls_[index], total);
    Log(kLogTrace, L"OpenUrl() returned:" + ResultText(result));
    if (attempts <= 0 || !ShouldTryNextUrl(result, urls_.size()) || job_.IsCanceled()) {
      return result;
    }
    --attempts;
    index = (index + 1) % urls_.size();
  }
}

ResultCode Downloader::OpenSource(const std::wstring& url, std::uint64_t* total) {
  job_.currentUrl = url;
  job_.requestUrl = url;
  job_.internet.CloseRequest();
  job_.sourceFile.Reset();
  SourceUrl parts;
  const ResultCode result = ParseSourceUrl(url, &parts);
  if (result != kSuccess) return result;
  // Each source of a mixed list is read its own way: a file from disk, the others through WinINet.
  job_.remoteSource = parts.kind != SourceKind::File;
  const bool http = parts.kind == SourceKind::Http || parts.kind == SourceKind::Https;
  if (job_.range && !http) return kResumeNotSupported;
  switch (parts.kind) {
    case SourceKind::Http:
    case SourceKind::Https: return OpenHttpSource(job_, parts, total);
    case SourceKind::Ftp: return ftp_.Open(job_, parts, total);
    case SourceKind::File: return OpenFileSource(job_, parts, total);
  }
  return kUnsupportedScheme;
}

}  // namespace updater
