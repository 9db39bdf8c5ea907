#include "transfer/DeltaPlan.h"

#include <map>
#include <utility>

namespace updater {

namespace {

// A block is only copied with its own length: the same hash over other bytes is not the block.
using BlockKey = std::pair<std::vector<unsigned char>, std::uint32_t>;

void AddCopy(const LocalBlock& from, const MappedBlock& block, DeltaPlan* plan) {
  BlockCopy* last = plan->copies.empty() ? nullptr : &plan->copies.back();
  if (last != nullptr && last->source == from.source &&
      last->sourceOffset + last->length == from.offset &&
      last->targetOffset + last->length == block.offset) {
    last->length += block.length;
  } else {
    plan->copies.push_back({from.source, from.offset, block.offset, block.length});
  }
  plan->bytesCopied += block.length;
}

void AddFetch(const MappedBlock& block, DeltaPlan* plan) {
  ByteRange* last = plan->ranges.empty() ? nullptr : &plan->ranges.back();
  const std::uint64_t end = block.offset + block.length;
  if (last != nullptr && last->last + 1 == block.offset && end - last->first <= kMaxRangeBytes) {
    last->last = end - 1;
  } else {
    plan->ranges.push_back({block.offset, end - 1});
  }
  plan->bytesToFetch += block.length;
}

}  // namespace

DeltaPlan PlanDelta(const BlockMap& target, const std::vector<LocalBlock>& local) {
  std::map<BlockKey, const LocalBlock*> known;
  for (const LocalBlock& block : local) known.emplace(BlockKey(block.sha256, block.length), &block);
  DeltaPlan plan;
  for (const MappedBlock& block : target.blocks) {
    const auto found = known.find(BlockKey(block.sha256, block.length));
    if (found != known.end()) {
      AddCopy(*found->second, block, &plan);
    } else {
      AddFetch(block, &plan);
    }
  }
  return plan;
}

}  // namespace updater
