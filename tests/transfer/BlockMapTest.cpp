#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "transfer/BlockMap.h"

namespace updater::test {
namespace {

const std::string kHash(64, 'A');

// A map's text with one hash throughout: its size and one `<offset> <length>` a block.
std::string MapText(const std::string& size, const std::vector<std::string>& blocks) {
  std::string text = "blockmap 1\nsize " + size + "\nsha256 " + kHash + "\n";
  for (const std::string& block : blocks) text += block + " " + kHash + "\n";
  return text;
}

// The map comes from a server: whatever does not describe the file exactly is refused, and the
// map given is left as it was; what is accepted is written back as it was read.
TEST(BlockMapTest, ReadsOnlyMapsThatTileTheFileExactly) {
  const std::string valid = MapText("32868", {"0 16384", "16384 16384", "32768 100"});
  const struct { const char* what; std::string text; ResultCode expected; } cases[] = {
      {"three blocks", valid, kSuccess},
      {"an empty file", MapText("0", {}), kSuccess},
      {"empty text", "", kInvalidHeader},
      {"version 2", "blockmap 2" + valid.substr(10), kInvalidHeader},
      {"no line feed at the end", valid.substr(0, valid.size() - 1), ERROR_INVALID_DATA},
      {"the last block lost", MapText("32868", {"0 16384", "16384 16384"}), ERROR_INVALID_DATA},
      {"a hash of 62 digits", valid.substr(0, valid.size() - 3) + "\n", ERROR_INVALID_DATA},
      {"a hash not hexadecimal", MapText("0", {}).replace(30, 1, "G"), ERROR_INVALID_DATA},
      {"a gap", MapText("32868", {"0 16384", "16385 16384", "32768 100"}), ERROR_INVALID_DATA},
      {"an overlap", MapText("32868", {"0 16384", "16383 16384", "32768 100"}), ERROR_INVALID_DATA},
      {"short of the size", MapText("32869", {"0 16384", "16384 16384", "32768 100"}), ERROR_INVALID_DATA},
      {"past the size", MapText("32867", {"0 16384", "16384 16384", "32768 100"}), ERROR_INVALID_DATA},
      {"short, not last", MapText("32868", {"0 16384", "16384 100", "16484 16384"}), ERROR_INVALID_DATA},
      {"over the maximum", MapText("262145", {"0 262145"}), ERROR_INVALID_DATA},
      {"not a number", MapText("100", {"0 1e2"}), ERROR_INVALID_DATA},
      {"a leading zero", MapText("100", {"0 0100"}), ERROR_INVALID_DATA},
      {"two spaces", MapText("100", {"0  100"}), ERROR_INVALID_DATA},
      {"a file over 4 GiB - 1", MapText("4294967296", {}), ERROR_FILE_TOO_LARGE},
      {"text over the bound", valid + std::string(kMaxBlockMapTextBytes, '\n'), ERROR_FILE_TOO_LARGE},
  };
  for (const auto& c : cases) {
    BlockMap map;
    map.size = 7;
    const std::string untouched = FormatBlockMap(map);
    EXPECT_EQ(c.expected, ParseBlockMap(c.text, &map)) << c.what;
    EXPECT_EQ(c.expected == kSuccess ? c.text : untouched, FormatBlockMap(map)) << c.what;
  }
}

}  // namespace
}  // namespace updater::test
