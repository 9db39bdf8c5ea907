#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/BlockMap.h"

namespace updater::test {
namespace {

const std::string kHash(64, 'a');

// A map's text with the same hash everywhere: its size line's value and one line a block,
// `<offset> <length>`.
std::string MapText(const std::string& size, const std::vector<std::string>& blocks) {
  std::string text = "blockmap 1\nsize " + size + "\nsha256 " + kHash + "\n";
  for (const std::string& block : blocks) text += block + " " + kHash + "\n";
  return text;
}

TEST(BlockMapTest, AMapRoundTripsThroughTheWriter) {
  BlockMap map;
  map.size = 2 * kMinBlockBytes + 100;
  map.sha256.assign(32, 0xAB);
  for (const std::uint64_t offset : {0u, kMinBlockBytes, 2 * kMinBlockBytes}) {
    map.blocks.push_back({offset, offset < 2 * kMinBlockBytes ? kMinBlockBytes : 100,
                          std::vector<unsigned char>(32, static_cast<unsigned char>(offset))});
  }
  const std::string text = FormatBlockMap(map);
  BlockMap read;
  ASSERT_EQ(kSuccess, ParseBlockMap(text, &read)) << text;
  EXPECT_EQ(map.size, read.size);
  EXPECT_EQ(map.sha256, read.sha256);
  ASSERT_EQ(map.blocks.size(), read.blocks.size());
  for (std::size_t i = 0; i < map.blocks.size(); ++i) {
    EXPECT_EQ(map.blocks[i].offset, read.blocks[i].offset) << i;
    EXPECT_EQ(map.blocks[i].length, read.blocks[i].length) << i;
    EXPECT_EQ(map.blocks[i].sha256, read.blocks[i].sha256) << i;
  }
}

// The map comes from a server: whatever does not describe the file exactly is refused, and the
// map given is left as it was.
TEST(BlockMapTest, RefusesAnyMapThatDoesNotTileTheFileExactly) {
  const std::string valid = MapText("32868", {"0 16384", "16384 16384", "32768 100"});
  std::string truncatedHash = valid;
  truncatedHash.erase(valid.rfind('a'), 1);
  const struct {
    const char* what;
    std::string text;
    ResultCode expected;
  } cases[] = {
      {"three blocks", valid, kSuccess},
      {"carriage returns before the line feeds", "blockmap 1\r\nsize 0\r\nsha256 " + kHash + "\r\n",
       kSuccess},
      {"an empty file", MapText("0", {}), kSuccess},
      {"a file shorter than the minimum", MapText("100", {"0 100"}), kSuccess},
      {"empty text", "", kInvalidHeader},
      {"version 2", "blockmap 2" + valid.substr(10), kInvalidHeader},
      {"no line feed at the end", valid.substr(0, valid.size() - 1), ERROR_INVALID_DATA},
      {"the last block lost", MapText("32868", {"0 16384", "16384 16384"}), ERROR_INVALID_DATA},
      {"no hash line", "blockmap 1\nsize 0\n", ERROR_INVALID_DATA},
      {"a hash of 63 digits", truncatedHash, ERROR_INVALID_DATA},
      {"a hash that is not hexadecimal", MapText("100", {"0 100"}).replace(30, 1, "g"),
       ERROR_INVALID_DATA},
      {"a gap", MapText("32868", {"0 16384", "16385 16383", "32768 100"}), ERROR_INVALID_DATA},
      {"an overlap", MapText("32868", {"0 16384", "16383 16385", "32768 100"}),
       ERROR_INVALID_DATA},
      {"blocks short of the size", MapText("32869", {"0 16384", "16384 16384", "32768 100"}),
       ERROR_INVALID_DATA},
      {"blocks past the size", MapText("32867", {"0 16384", "16384 16384", "32768 100"}),
       ERROR_INVALID_DATA},
      {"a block under the minimum not last", MapText("32868", {"0 16384", "16384 100", "16484 16384"}),
       ERROR_INVALID_DATA},
      {"a block over the maximum", MapText("262145", {"0 262145"}), ERROR_INVALID_DATA},
      {"an empty last block", MapText("16384", {"0 16384", "16384 0"}), ERROR_INVALID_DATA},
      {"a length not a number", MapText("100", {"0 1e2"}), ERROR_INVALID_DATA},
      {"a leading zero", MapText("100", {"0 0100"}), ERROR_INVALID_DATA},
      {"a sign", MapText("100", {"+0 100"}), ERROR_INVALID_DATA},
      {"two spaces", MapText("100", {"0  100"}), ERROR_INVALID_DATA},
      {"a size not a number", MapText("-1", {}), ERROR_INVALID_DATA},
      {"a size of eleven digits", MapText("10000000000", {}), ERROR_INVALID_DATA},
      {"a file over 4 GiB - 1", MapText("4294967296", {}), ERROR_FILE_TOO_LARGE},
      {"text over the bound", valid + std::string(kMaxBlockMapTextBytes, '\n'),
       ERROR_FILE_TOO_LARGE},
  };
  for (const auto& c : cases) {
    BlockMap map;
    map.size = 7;
    EXPECT_EQ(c.expected, ParseBlockMap(c.text, &map)) << c.what;
    if (c.expected != kSuccess) {
      EXPECT_EQ(7u, map.size) << c.what << ": the map was changed";
    }
  }
}

}  // namespace
}  // namespace updater::test
