#include <gtest/gtest.h>

#include <set>

#include "transfer/ContentChunker.h"
#include "transfer/TransferTestSupport.h"

namespace updater::test {
namespace {

// The blocks of `bytes`, fed to the chunker `piece` bytes at a time.
std::vector<std::string> Blocks(const std::string& bytes, std::size_t piece) {
  ContentChunker chunker;
  std::vector<std::uint64_t> cuts;
  const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
  for (std::size_t at = 0; at < bytes.size(); at += piece) {
    chunker.Feed(data + at, std::min(piece, bytes.size() - at), &cuts);
  }
  chunker.Finish(&cuts);
  std::vector<std::string> blocks;
  std::uint64_t start = 0;
  for (const std::uint64_t cut : cuts) {
    EXPECT_GT(cut, start) << "cuts must rise";
    blocks.push_back(bytes.substr(start, cut - start));
    start = cut;
  }
  EXPECT_EQ(bytes.size(), start) << "the blocks must cover the input";
  return blocks;
}

TEST(ContentChunkerTest, CutsTheSameBytesTheSameWayWithinTheBounds) {
  constexpr std::size_t kMiB = 1024 * 1024;
  const struct {
    const char* what;
    std::string bytes;
    std::size_t blocks;  // 0: many, not counted
  } cases[] = {
      {"empty", "", 0},
      {"shorter than the minimum", PatternBytes(kMinBlockBytes - 1, 1), 1},
      {"one byte", "x", 1},
      {"4 MiB of pseudo-random bytes", PatternBytes(4 * kMiB, 2), 0},
      {"1 MiB of zeros, cut at the maximum alone", std::string(kMiB, '\0'), 4},
  };
  for (const auto& c : cases) {
    const std::vector<std::string> whole = Blocks(c.bytes, c.bytes.size() + 1);
    if (c.blocks > 0) {
      EXPECT_EQ(c.blocks, whole.size()) << c.what;
    }
    for (const std::size_t piece : {std::size_t{1} << 20, std::size_t{4097}}) {
      EXPECT_EQ(whole, Blocks(c.bytes, piece)) << c.what << " fed " << piece << " at a time";
    }
    for (std::size_t i = 0; i + 1 < whole.size(); ++i) {
      EXPECT_GE(whole[i].size(), kMinBlockBytes) << c.what << " block " << i;
      EXPECT_LE(whole[i].size(), kMaxBlockBytes) << c.what << " block " << i;
    }
  }
  // Pinned, so that a changed table or mask, which would make every published map useless
  // against new ones, does not pass unnoticed.
  const std::vector<std::string> pinned = Blocks(PatternBytes(4 * kMiB, 2), kMiB);
  EXPECT_EQ(65u, pinned.size());
  EXPECT_EQ(81014u, pinned.front().size());
}

// An edit in the middle of an installer changes the blocks it touches, not the ones after it.
TEST(ContentChunkerTest, AnEditChangesOnlyTheBlocksNearIt) {
  const std::string original = PatternBytes(4 * 1024 * 1024, 3);
  const std::string inserted = PatternBytes(64 * 1024, 4);
  const struct {
    const char* what;
    std::size_t at, removed;
    std::string added;
  } cases[] = {
      {"64 KiB inserted in the middle", 2 * 1024 * 1024, 0, inserted},
      {"64 KiB inserted at the start", 0, 0, inserted},
      {"64 KiB removed", 1000000, 64 * 1024, ""},
      {"100 bytes overwritten", 3000000, 100, std::string(100, 'x')},
  };
  const std::vector<std::string> before = Blocks(original, 1 << 20);
  const std::set<std::string> known(before.begin(), before.end());
  for (const auto& c : cases) {
    std::string edited = original;
    edited.replace(c.at, c.removed, c.added);
    const std::vector<std::string> after = Blocks(edited, 1 << 20);
    std::size_t changed = 0;
    for (const std::string& block : after) changed += known.count(block) == 0 ? 1 : 0;
    // The edit's own blocks, and a few after it until the cuts fall back into step: not the
    // thirty or so after it that fixed-size blocks would change.
    EXPECT_LE(changed, 6u) << c.what << ": " << changed << " of " << after.size() << " blocks";
  }
}

}  // namespace
}  // namespace updater::test
