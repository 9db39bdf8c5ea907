#pragma once

#include <cstdint>
#include <functional>

#include "base/ResultCode.h"
#include "transfer/DownloadJob.h"

namespace updater {

// Opens the source again from the job's resume offset on, as the first time.
using ReopenSource = std::function<ResultCode(std::uint64_t* total)>;

// Reads the opened source (the job's request, or its source file) into the partial file from the
// job's resume offset on, with progress, pause and cancel through the events, until `total` bytes
// (0: until the source ends). A dropped stream is reopened where the partial file ends, until
// attempts stop adding bytes. More bytes than the settings allow delete the partial file. The
// finished file is moved to the destination; failures are reported.
ResultCode ReadIntoPartialFile(DownloadJob& job, std::uint64_t total, const ReopenSource& reopen);

// Takes the next bytes of a body; anything but 0 ends the reading with that result.
using ByteSink = std::function<ResultCode(const char* bytes, DWORD size)>;

// Reads the body of the job's open request, `length` bytes, into `sink`, with pause and cancel
// through the events. A body that ends early fails with kRequestTimeout and is not asked for
// again; the caller has a better way on.
ResultCode ReadBody(DownloadJob& job, std::uint64_t length, const ByteSink& sink);

}  // namespace updater
