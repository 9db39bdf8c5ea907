#pragma once

#include <cstdint>

#include "base/ResultCode.h"
#include "transfer/DownloadJob.h"
#include "transfer/SourceUrl.h"

namespace updater {

// Opens an HTTP(S) request for the file from the job's resume offset on, following redirects each
// to a request of its own, putting certificate problems to the events and answering challenges
// with credentials. On success the job's request is ready to read; `total` is the size of the
// whole file (0: unknown) and the job's resume offset where the body starts.
ResultCode OpenHttpSource(DownloadJob& job, const SourceUrl& url, std::uint64_t* total);

}  // namespace updater
