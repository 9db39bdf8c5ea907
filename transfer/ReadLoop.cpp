#include "transfer/ReadLoop.h"

#include <algorithm>

#include "base/Logger.h"
#include "base/ResultText.h"
#include "transfer/PartialFile.h"
#include "transfer/RetryPolicy.h"
#include "transfer/UpdateEvents.h"

namespace updater {

namespace {

constexpr DWORD kReadBufferSize = InternetSession::kReadBufferSize;

ResultCode ReadChunk(InternetSession& internet, DWORD* received) {
  InternetStatusContext& status = internet.Status();
  DWORD* count = status.ReadCount();
  *count = 0;
  internet.Begin(InternetSession::Pending::Read);
  // One read of the whole buffer: Wine never announces more than 8 KiB as available, so asking
  // InternetQueryDataAvailable first would cap every read at that.
  const BOOL read = InternetReadFile(internet.Request(), status.Buffer(), kReadBufferSize, count);
  const ResultCode result = internet.Await(read);
  if (result == kCanceled) return result;
  // Windows reports the count of an asynchronous read in dwError, Wine through the out parameter.
  const DWORD asyncCount = status.AsyncError();
  *received = result == kSuccess && !read && asyncCount > 0 ? asyncCount : *count;
  *received = std::min(*received, kReadBufferSize);
  return result;
}

// A file source is read into the same buffer as a request.
ResultCode ReadFileChunk(DownloadJob& job, DWORD* received) {
  return ReadFile(job.sourceFile.Get(), job.internet.Status().Buffer(), kReadBufferSize, received,
                  nullptr)
             ? kSuccess
             : static_cast<ResultCode>(GetLastError());
}

// Waits while the observer pauses; false when it cancels meanwhile.
bool WaitWhilePaused(DownloadJob& job) {
  while (job.events.IsPaused() && !job.IsCanceled()) Sleep(InternetSession::kWaitSliceMs);
  return !job.IsCanceled();
}

ResultCode Reconnect(DownloadJob& job, HANDLE file, DWORD written, std::uint64_t* total,
                     const ReopenSource& reopen) {
  job.internet.CloseRequest();
  FlushFileBuffers(file);
  job.resumeOffset = written;
  const ResultCode result = reopen(total);
  if (result != kSuccess) return result;
  // The server sends the file from its start, which cannot continue what is on disk.
  if (written != 0 && job.resumeOffset != written) return ERROR_INTERNET_TIMEOUT;
  return kSuccess;
}

}  // namespace

ResultCode ReadIntoPartialFile(DownloadJob& job, std::uint64_t total, const ReopenSource& reopen) {
  UpdateEvents& events = job.events;
  events.ActionBegun(UpdateAction::DownloadFile, static_cast<std::uint32_t>(total),
                     job.destination);
  if (job.IsCanceled()) return kCanceled;
  FileHandle file;
  ResultCode result = CreatePartialFile(job, &file);
  if (result != kSuccess) return result;
  events.Advanced(job.resumeOffset);

  DWORD written = job.resumeOffset;
  const DWORD limit = job.settings.ByteLimit();
  FruitlessAttempts attempts;
  attempts.Start(written);
  for (;;) {
    if (total != 0 && written >= total) break;
    DWORD received = 0;
    result = job.remoteSource ? ReadChunk(job.internet, &received) : ReadFileChunk(job, &received);
    if (result == kCanceled) return result;
    if (received > 0) {
      if (received > limit - std::min(written, limit)) {
        // More than expected or allowed: a server that never stops would fill the disk.
        file.Reset();
        DeleteFileW(job.partialPath.c_str());
        Log(kLogTrace, L"The server sent more bytes than the expected size");
        return job.Fail(job.currentUrl, kSizeMismatch);
      }
      DWORD done = 0;
      if (!WriteFile(file.Get(), job.internet.Status().Buffer(), received, &done, nullptr) ||
          done != received) {
        result = GetLastError();
        Log(kLogTrace, L"Failed to saved in file the bytes read " + ResultText(result));
        return job.Fail(job.partialPath, result);
      }
      written += received;
      events.Advanced(received);
    }
    if (result == kSuccess && received > 0) {
      if (!WaitWhilePaused(job)) return kCanceled;
      continue;
    }
    if (result == kSuccess) {
      Log(kLogTrace, L"AsyncDownloadThread read 0 bytes.");
      if (total == 0) break;
      if (!job.remoteSource) return job.Fail(job.currentUrl, kRequestTimeout);
    } else if (!(job.remoteSource && IsDroppedStream(result))) {
      return job.Fail(job.currentUrl, result);
    }
    if (!attempts.MayTryAgain(written)) {
      Log(kLogTrace, L"Reconnecting added no byte; giving up");
      return job.Fail(job.currentUrl, kRequestTimeout);
    }
    result = Reconnect(job, file.Get(), written, &total, reopen);
    if (result == kCanceled) return result;
    if (result != kSuccess) return job.Fail(job.currentUrl, result);
  }
  file.Reset();
  result = MovePartialToDestination(job);
  if (result == kSuccess) events.ActionEnded(UpdateAction::DownloadFile, kSuccess);
  return result;
}

ResultCode ReadBody(DownloadJob& job, std::uint64_t length, const ByteSink& sink) {
  for (std::uint64_t read = 0; read < length;) {
    DWORD received = 0;
    if (const ResultCode result = ReadChunk(job.internet, &received)) return result;
    if (received == 0) return kRequestTimeout;
    // The server's Content-Length is not the range it named.
    if (received > length - read) return kInvalidServerResponse;
    if (const ResultCode taken = sink(job.internet.Status().Buffer(), received)) return taken;
    read += received;
    if (!WaitWhilePaused(job)) return kCanceled;
  }
  return kSuccess;
}

}  // namespace updater
