#pragma once

#include <cstdint>
#include <string>

#include "base/ResultCode.h"
#include "transfer/DownloadJob.h"
#include "transfer/SourceUrl.h"

namespace updater {

// FTP sources: logs in (asking for credentials when the server refuses the login, and keeping
// them for the Downloader's later FTP sources), learns the size, restarts at the job's resume
// offset where the server allows it and opens the file for reading.
class FtpSource {
 public:
  // On success the job's request is ready to read; `total` is the file's size (0: unknown) and
  // the job's resume offset where the server starts, 0 when it refused REST.
  ResultCode Open(DownloadJob& job, const SourceUrl& url, std::uint64_t* total);

 private:
  std::wstring user_;
  std::wstring password_;
};

}  // namespace updater
