#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "transfer/DeltaPlan.h"

namespace updater::test {
namespace {

constexpr std::uint32_t K = 1024;

std::vector<unsigned char> Hash(char id) { return std::vector<unsigned char>(32, id); }

// "copy source:from->to+length", "fetch first-last", then the bytes copied/fetched.
std::string Describe(const DeltaPlan& plan) {
  std::string text;
  for (const BlockCopy& c : plan.copies) {
    text += "copy " + std::to_string(c.source) + ":" + std::to_string(c.sourceOffset) + "->" +
            std::to_string(c.targetOffset) + "+" + std::to_string(c.length) + " ";
  }
  for (const ByteRange& r : plan.ranges) {
    text += "fetch " + std::to_string(r.first) + "-" + std::to_string(r.last) + " ";
  }
  return text + std::to_string(plan.bytesCopied) + "/" + std::to_string(plan.bytesToFetch);
}

TEST(DeltaPlanTest, CopiesKnownBlocksAndFetchesTheRestInCappedRanges) {
  using Blocks = std::vector<std::pair<char, std::uint32_t>>;  // hash id, length
  const struct {
    const char* what;
    Blocks target;
    std::vector<LocalBlock> local;
    std::string expected;
  } cases[] = {
      {"fetched runs merge, copies split them; a hash is copied at its own length only, first found",
       {{'a', 16 * K}, {'x', 16 * K}, {'y', 20 * K}, {'b', 16 * K}, {'z', 7}},
       {{1, 0, 20 * K, Hash('a')}, {0, 0, 16 * K, Hash('a')}, {2, 0, 16 * K, Hash('a')},
        {0, 16 * K, 16 * K, Hash('b')}, {0, 0, 20 * K, Hash('x')}},
       "copy 0:0->0+16384 copy 0:16384->53248+16384 fetch 16384-53247 fetch 69632-69638 32768/36871"},
      {"nothing local: one range a cap", Blocks(17, {'x', kMaxBlockBytes}), {},
       "fetch 0-4194303 fetch 4194304-4456447 0/4456448"},
      {"all local; neighbours in one file merge, in two files or apart in one do not",
       {{'a', 16 * K}, {'b', 16 * K}, {'c', 16 * K}, {'d', 9}},
       {{0, 100, 16 * K, Hash('a')}, {0, 100 + 16 * K, 16 * K, Hash('b')},
        {2, 100 + 32 * K, 16 * K, Hash('c')}, {2, 0, 9, Hash('d')}},
       "copy 0:100->0+32768 copy 2:32868->32768+16384 copy 2:0->49152+9 49161/0"},
  };
  for (const auto& c : cases) {
    BlockMap target;
    for (const auto& [id, length] : c.target) {
      target.blocks.push_back({target.size, length, Hash(id)});
      target.size += length;
    }
    EXPECT_EQ(c.expected, Describe(PlanDelta(target, c.local))) << c.what;
  }
}

}  // namespace
}  // namespace updater::test
