// ReadReleaseNotes and ConvertInlineMarkdown; a text they convert is markup the description shows
// as such, never as written.
#include "FuzzSupport.h"
#include "catalogue/ReleaseNotes.h"
#include "ui/Markup.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::wstring markdown = fuzz::Utf16Units(data, size);
  UpdateInfo update;
  ReadReleaseNotes(markdown, &update);
  const std::wstring markup = ConvertInlineMarkdown(markdown);
  std::int32_t position = 0;
  std::vector<FormatRange> ranges;
  ConvertMarkup(markup, &position, &ranges);
  FUZZ_CHECK(markup == markdown || !ranges.empty());
  return 0;
}
