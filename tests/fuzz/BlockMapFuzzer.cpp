// ParseBlockMap; a map it accepts tiles its file and reads back the same once formatted.
#include "FuzzSupport.h"
#include "transfer/BlockMap.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  BlockMap map;
  if (ParseBlockMap(std::string(reinterpret_cast<const char*>(data), size), &map) != kSuccess) {
    return 0;
  }
  std::uint64_t end = 0;
  for (const MappedBlock& block : map.blocks) {
    FUZZ_CHECK(block.offset == end && block.length > 0 && block.sha256.size() == 32);
    end += block.length;
  }
  FUZZ_CHECK(end == map.size && map.sha256.size() == 32);
  const std::string text = FormatBlockMap(map);
  BlockMap again;
  FUZZ_CHECK(ParseBlockMap(text, &again) == kSuccess);
  FUZZ_CHECK(FormatBlockMap(again) == text);
  return 0;
}
