#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "transfer/ContentChunker.h"

namespace updater {

// The updater keeps sizes in DWORDs: an installer, and so a block map, is at most this large.
constexpr std::uint64_t kMaxBlockMapFileBytes = 0xFFFFFFFFull;
// The longest text a map of a file of `fileSize` bytes can have: its three head lines and one line
// a block, each block but the last at least the minimum long. A longer map is refused unread.
constexpr std::size_t kMaxBlockMapHeadBytes = 128;
constexpr std::size_t kMaxBlockLineBytes = 10 + 1 + 6 + 1 + 64 + 1;
constexpr std::size_t MaxBlockMapTextBytes(std::uint64_t fileSize) {
  return static_cast<std::size_t>(kMaxBlockMapHeadBytes +
                                  (fileSize / kMinBlockBytes + 1) * kMaxBlockLineBytes);
}
constexpr std::size_t kMaxBlockMapTextBytes = MaxBlockMapTextBytes(kMaxBlockMapFileBytes);

struct MappedBlock {
  std::uint64_t offset = 0;
  std::uint32_t length = 0;
  std::vector<unsigned char> sha256;
};

// A file cut into content-defined blocks, each with its SHA-256: what a client needs to copy the
// blocks it already has and fetch only the others.
struct BlockMap {
  std::uint64_t size = 0;
  std::vector<unsigned char> sha256;
  std::vector<MappedBlock> blocks;
};

// The map as text, one line each, ending in a line feed:
//   blockmap 1
//   size <bytes>
//   sha256 <64 hexadecimal digits>
//   <offset> <length> <64 hexadecimal digits>     one line a block, in file order
std::string FormatBlockMap(const BlockMap& map);

// Reads FormatBlockMap's text, from a server: kInvalidHeader for text that is not a map of
// version 1, ERROR_FILE_TOO_LARGE for a text or file beyond the bounds above, and
// ERROR_INVALID_DATA for any other line that is not exactly as written, or blocks that do not
// cover the file end to end within the chunker's lengths. `map` is then left as it was.
ResultCode ParseBlockMap(const std::string& text, BlockMap* map);

}  // namespace updater
