#include "transfer/ContentChunker.h"

#include <array>

namespace updater {
namespace {

// One fixed pseudo-random value a byte value (splitmix64 from a fixed seed), made at compile time
// so that every build and every run cuts the same bytes at the same places.
constexpr std::array<std::uint64_t, 256> MakeGearTable() {
  std::array<std::uint64_t, 256> table{};
  std::uint64_t state = 0x426C6F636B4D6170ull;
  for (std::uint64_t& value : table) {
    state += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    value = z ^ (z >> 31);
  }
  return table;
}
constexpr std::array<std::uint64_t, 256> kGear = MakeGearTable();

// The top bits of the hash, which depend on all 64 bytes before the cut. Below the average a cut
// needs more of them zero, above it fewer, so that lengths gather near the average rather than
// spreading out to the minimum and the maximum.
constexpr std::uint64_t kStrictMask = ~0ull << (64 - 17);
constexpr std::uint64_t kLooseMask = ~0ull << (64 - 13);

}  // namespace

void ContentChunker::Feed(const unsigned char* bytes, std::size_t size,
                          std::vector<std::uint64_t>* cuts) {
  for (std::size_t i = 0; i < size; ++i) {
    hash_ = (hash_ << 1) + kGear[bytes[i]];
    ++blockLength_;
    if (blockLength_ < kMinBlockBytes) continue;
    const std::uint64_t mask = blockLength_ < kAverageBlockBytes ? kStrictMask : kLooseMask;
    if ((hash_ & mask) == 0 || blockLength_ == kMaxBlockBytes) {
      cuts->push_back(fed_ + i + 1);
      hash_ = 0;
      blockLength_ = 0;
    }
  }
  fed_ += size;
}

void ContentChunker::Finish(std::vector<std::uint64_t>* cuts) {
  if (blockLength_ > 0) cuts->push_back(fed_);
  hash_ = 0;
  blockLength_ = 0;
}

}  // namespace updater
