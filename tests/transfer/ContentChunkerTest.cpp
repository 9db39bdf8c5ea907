#include <gtest/gtest.h>

#include <set>

#include "transfer/ContentChunker.h"
#include "transfer/TransferTestSupport.h"

namespace updater::test {
namespace {

// The blocks of `bytes`, fed to the chunker `piece` bytes at a time.
std::vector<std::string> Blocks(const std::string& bytes, std::size_t piece = 1 << 20) {
  ContentChunker chunker;
  std::vector<std::uint64_t> cuts;
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    chunker.Feed(reinterpret_cast<const unsigned char*>(bytes.data()) + at,
                 std::min(piece, bytes.size() - at), &cuts);
  }
  chunker.Finish(&cuts);
  EXPECT_EQ(bytes.size(), cuts.empty() ? 0 : cuts.back()) << "the blocks must cover the input";
  std::vector<std::string> blocks;
  for (std::size_t i = 0; i < cuts.size(); ++i) {
    const std::uint64_t start = i == 0 ? 0 : cuts[i - 1];
    blocks.push_back(bytes.substr(start, cuts[i] - start));
  }
  return blocks;
}

TEST(ContentChunkerTest, CutsTheSameBytesTheSameWayWithinTheBounds) {
  const struct { const char* what; std::string bytes; std::size_t blocks; } cases[] = {
      {"empty", "", 0},
      {"shorter than the minimum", PatternBytes(kMinBlockBytes - 1, 1), 1},
      // Pinned: a changed table or mask would make every map published before useless.
      {"4 MiB of pseudo-random bytes", PatternBytes(4 << 20, 2), 65},
      {"1 MiB of zeros, cut at the maximum alone", std::string(1 << 20, '\0'), 4},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> blocks = Blocks(c.bytes);
    EXPECT_EQ(c.blocks, blocks.size()) << c.what;
    EXPECT_EQ(blocks, Blocks(c.bytes, 4097)) << c.what << " fed 4097 bytes at a time";
    for (std::size_t i = 0; i < blocks.size(); ++i) {
      EXPECT_LE(blocks[i].size(), kMaxBlockBytes) << c.what << " block " << i;
      EXPECT_TRUE(i + 1 == blocks.size() || blocks[i].size() >= kMinBlockBytes) << c.what << i;
    }
  }
}

// An edit changes the blocks it touches, and a few after it until the cuts fall back into step:
// not the thirty or so after it that blocks at fixed offsets would change.
TEST(ContentChunkerTest, AnEditChangesOnlyTheBlocksNearIt) {
  const std::string original = PatternBytes(4 << 20, 3);
  const struct { const char* what; std::size_t at, removed; std::string added; } cases[] = {
      {"64 KiB inserted in the middle", 2 << 20, 0, PatternBytes(64 << 10, 4)},
      {"64 KiB inserted at the start", 0, 0, PatternBytes(64 << 10, 4)},
      {"64 KiB removed", 1000000, 64 << 10, ""},
  };
  const std::vector<std::string> before = Blocks(original);
  const std::set<std::string> known(before.begin(), before.end());
  for (const auto& c : cases) {
    const std::vector<std::string> after =
        Blocks(std::string(original).replace(c.at, c.removed, c.added));
    std::size_t changed = 0;
    for (const std::string& block : after) changed += known.count(block) == 0 ? 1 : 0;
    EXPECT_LE(changed, 6u) << c.what << ": " << changed << " of " << after.size() << " blocks";
  }
}

}  // namespace
}  // namespace updater::test
