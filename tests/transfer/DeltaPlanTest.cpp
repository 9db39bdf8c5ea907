#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/DeltaPlan.h"

namespace updater::test {
namespace {

constexpr std::uint32_t K = 1024;
constexpr std::uint32_t kMax = kMaxBlockBytes;

struct Block {
  char id;  // blocks with one id have one hash
  std::uint32_t length;
};

std::vector<unsigned char> Hash(char id) { return std::vector<unsigned char>(32, id); }

BlockMap MapOf(const std::vector<Block>& blocks) {
  BlockMap map;
  for (const Block& block : blocks) {
    map.blocks.push_back({map.size, block.length, Hash(block.id)});
    map.size += block.length;
  }
  return map;
}

// "copy source:from->to+length" and "fetch first-last", in file order.
std::string Describe(const DeltaPlan& plan) {
  std::string text;
  for (const BlockCopy& c : plan.copies) {
    text += "copy " + std::to_string(c.source) + ":" + std::to_string(c.sourceOffset) + "->" +
            std::to_string(c.targetOffset) + "+" + std::to_string(c.length) + " ";
  }
  for (const ByteRange& r : plan.ranges) {
    text += "fetch " + std::to_string(r.first) + "-" + std::to_string(r.last) + " ";
  }
  return text;
}

TEST(DeltaPlanTest, CopiesKnownBlocksAndFetchesTheRestInCappedRanges) {
  const std::vector<Block> seventeenMax(17, Block{'x', kMax});
  const struct {
    const char* what;
    std::vector<Block> target;
    std::vector<LocalBlock> local;
    std::string expected;
  } cases[] = {
      {"fetched neighbours merge, a copy splits them, the short last block",
       {{'a', 16 * K}, {'x', 16 * K}, {'y', 20 * K}, {'b', 16 * K}, {'z', 7}},
       {{0, 0, 16 * K, Hash('a')}, {0, 16 * K, 16 * K, Hash('b')}},
       "copy 0:0->0+16384 copy 0:16384->53248+16384 fetch 16384-53247 fetch 69632-69638 "},
      {"nothing local: one range a cap", seventeenMax, {},
       "fetch 0-4194303 fetch 4194304-4456447 "},
      {"all local; neighbours in one file merge, in two files or apart in one do not",
       {{'a', 16 * K}, {'b', 16 * K}, {'c', 16 * K}, {'d', 9}},
       {{0, 100, 16 * K, Hash('a')}, {0, 100 + 16 * K, 16 * K, Hash('b')},
        {2, 100 + 32 * K, 16 * K, Hash('c')}, {2, 0, 9, Hash('d')}},
       "copy 0:100->0+32768 copy 2:32868->32768+16384 copy 2:0->49152+9 "},
      {"a known hash of another length is fetched",
       {{'a', 16 * K}, {'b', 16 * K}}, {{0, 0, 20 * K, Hash('a')}, {0, 0, 16 * K, Hash('b')}},
       "copy 0:0->16384+16384 fetch 0-16383 "},
      {"of blocks with one hash, the first of the right length",
       {{'a', 16 * K}},
       {{0, 0, 20 * K, Hash('a')}, {1, 0, 16 * K, Hash('a')}, {2, 0, 16 * K, Hash('a')}},
       "copy 1:0->0+16384 "},
      {"an empty file", {}, {{0, 0, 16 * K, Hash('a')}}, ""},
  };
  for (const auto& c : cases) {
    const BlockMap target = MapOf(c.target);
    const DeltaPlan plan = PlanDelta(target, c.local);
    EXPECT_EQ(c.expected, Describe(plan)) << c.what;
    std::uint64_t copied = 0, fetched = 0;
    for (const BlockCopy& copy : plan.copies) copied += copy.length;
    for (const ByteRange& range : plan.ranges) {
      EXPECT_LE(range.last - range.first + 1, kMaxRangeBytes) << c.what;
      fetched += range.last - range.first + 1;
    }
    EXPECT_EQ(copied, plan.bytesCopied) << c.what;
    EXPECT_EQ(fetched, plan.bytesToFetch) << c.what;
    EXPECT_EQ(target.size, copied + fetched) << c.what;
  }
}

}  // namespace
}  // namespace updater::test
