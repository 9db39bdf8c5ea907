// ConvertMarkup; its ranges lie within the text it returns, and any text escaped and put in an
// element converts back to itself.
#include <vector>

#include "FuzzSupport.h"
#include "ui/Markup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::wstring line = fuzz::Utf16Units(data, size);
  std::int32_t position = 5;
  std::vector<FormatRange> ranges;
  const std::wstring text = ConvertMarkup(line, &position, &ranges);
  if (ranges.empty()) {
    FUZZ_CHECK(text == line && position == 5 + static_cast<std::int32_t>(line.size()) + 1);
  }
  for (const FormatRange& range : ranges) {
    FUZZ_CHECK(5 <= range.start && range.start <= range.end && range.end < position);
  }
  position = 0;
  ranges.clear();
  FUZZ_CHECK(ConvertMarkup(L"<b>" + EscapeMarkup(line) + L"</b>", &position, &ranges) == line);
  FUZZ_CHECK(ranges.size() == 1 && ranges[0].start == 0 &&
             ranges[0].end == static_cast<std::int32_t>(line.size()));
  return 0;
}
