#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "transfer/BlockMap.h"
#include "transfer/HttpOutcome.h"

namespace updater {

// The longest Range one request asks for: a failed request then costs little to ask again, and
// a server that limits ranges is rarely below it.
constexpr std::uint64_t kMaxRangeBytes = 4 * 1024 * 1024;

// A block of a kept installer: which of the caller's files, where in it, and its SHA-256.
struct LocalBlock {
  std::size_t source = 0;
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::vector<unsigned char> sha256;
};

// Bytes copied from a kept installer into the new file.
struct BlockCopy {
  std::size_t source = 0;
  std::uint64_t sourceOffset = 0;
  std::uint64_t targetOffset = 0;
  std::uint64_t length = 0;
};

// How the new file is put together: copies and fetched ranges, each in file order, between them
// covering the file once.
struct DeltaPlan {
  std::vector<BlockCopy> copies;
  std::vector<ByteRange> ranges;
  std::uint64_t bytesCopied = 0;
  std::uint64_t bytesToFetch = 0;
};

// Copies each block of `target` that a block of `local` has, by SHA-256 and length (the first
// such block), and fetches the others. Neighbouring copies from one source become one copy, and
// neighbouring fetched blocks one range of at most kMaxRangeBytes. The maps are as ParseBlockMap
// reads them.
DeltaPlan PlanDelta(const BlockMap& target, const std::vector<LocalBlock>& local);

}  // namespace updater
