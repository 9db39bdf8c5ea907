#pragma once

#include <cstdint>

#include "base/ResultCode.h"
#include "transfer/DownloadJob.h"
#include "transfer/SourceUrl.h"

namespace updater {

// File and share sources: finds the file (connecting to its share with credentials when the
// server refuses), answers a conditional request from its time and opens it as the job's source
// file. `total` is its whole size, which may exceed what a download can count; the file is always
// read from its start.
ResultCode OpenFileSource(DownloadJob& job, const SourceUrl& url, std::uint64_t* total);

}  // namespace updater
