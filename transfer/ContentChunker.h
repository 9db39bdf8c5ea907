#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace updater {

// Block sizes of content-defined chunking. The minimum bounds the map's size (one line a block);
// the maximum bounds a block held in memory and a Range request's length.
constexpr std::uint32_t kMinBlockBytes = 16 * 1024;
constexpr std::uint32_t kAverageBlockBytes = 64 * 1024;
constexpr std::uint32_t kMaxBlockBytes = 256 * 1024;

// Cuts a byte stream into blocks where its content says, not at fixed offsets: a cut depends only
// on the 64 bytes before it (a gear hash), so bytes inserted into an installer move the cuts of the
// blocks they touch and leave the later blocks as they were. The same bytes give the same cuts
// however they are split into buffers.
class ContentChunker {
 public:
  // Takes the stream's next bytes; appends to `cuts` the end offset, from the stream's start, of
  // each block that ends within them.
  void Feed(const unsigned char* bytes, std::size_t size, std::vector<std::uint64_t>* cuts);
  // Ends the stream: appends the end of the last block, shorter than the minimum perhaps, unless
  // the stream ended at a cut.
  void Finish(std::vector<std::uint64_t>* cuts);

 private:
  std::uint64_t hash_ = 0;
  std::uint64_t fed_ = 0;
  std::uint32_t blockLength_ = 0;
};

}  // namespace updater
