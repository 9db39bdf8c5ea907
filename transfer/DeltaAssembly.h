#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "transfer/BlockMap.h"
#include "transfer/DeltaPlan.h"
#include "transfer/ReadLoop.h"

namespace updater {

class UpdateEvents;

// A file to put together from blocks of kept files and ranges fetched from its server: its block
// map, the plan, and the kept files, which the plan's source numbers index.
struct DeltaRecipe {
  BlockMap target;
  DeltaPlan plan;
  std::vector<std::wstring> sources;
};

// Fetches one range of the file on the server into the sink.
using RangeFetch = std::function<ResultCode(const ByteRange& range, const ByteSink& sink)>;

// Writes the recipe's file into `file`, open for writing at its start, in file order: copies read
// from the kept files and ranges fetched, every byte counted as progress through `events`, which
// may cancel between pieces. The result is 0 only when the bytes written are the size and SHA-256
// the map names (kSizeMismatch, kSha256Mismatch); otherwise it is the first failure, of a kept
// file, of a fetch or of the writing.
ResultCode AssembleDelta(const DeltaRecipe& recipe, HANDLE file, UpdateEvents& events,
                         const RangeFetch& fetch);

}  // namespace updater
