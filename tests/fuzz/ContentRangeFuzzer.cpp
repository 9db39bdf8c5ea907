// ParseContentRange, DecideRangeAnswer and DecideHttpStatus over a server's Content-Range: a range
// read lies within its file and is what the text says (written again, the text less the zeros
// that lead its numbers), and a 206 answer carrying it delivers that range and no other.
#include "FuzzSupport.h"
#include "base/TextUtil.h"
#include "transfer/HttpOutcome.h"

namespace updater {
namespace {

std::wstring WithoutLeadingZeros(const std::wstring& text) {
  std::wstring kept;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool numberGoesOn = i + 1 < text.size() && IsAsciiDigit(text[i + 1]);
    if (text[i] == L'0' && numberGoesOn && (kept.empty() || !IsAsciiDigit(kept.back()))) continue;
    kept += text[i];
  }
  return kept;
}

}  // namespace
}  // namespace updater

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::wstring text = fuzz::Utf16Units(data, size);
  ContentRange range;
  const bool parsed = ParseContentRange(text, &range);
  const ByteRange asked{range.first, range.last};
  const HttpOutcome answer = DecideRangeAnswer(206, text, asked, range.size);
  FUZZ_CHECK((answer.result == kSuccess) == parsed);
  if (!parsed) return 0;
  FUZZ_CHECK(range.first <= range.last && (range.size == 0 || range.last < range.size));
  const std::wstring total = range.size == 0 ? L"*" : std::to_wstring(range.size);
  FUZZ_CHECK(WithoutLeadingZeros(text) == L"bytes " + std::to_wstring(range.first) + L"-" +
                                              std::to_wstring(range.last) + L"/" + total);
  FUZZ_CHECK(answer.total == range.last - range.first + 1);
  FUZZ_CHECK(DecideRangeAnswer(206, text, {asked.first, asked.last + 1}, range.size).result ==
             kInvalidServerResponse);
  const HttpOutcome resumed = DecideHttpStatus(206, 0, text, range.first);
  FUZZ_CHECK(resumed.result == kSuccess && !resumed.wholeFile &&
             resumed.resumeOffset == range.first && resumed.total == range.size);
  return 0;
}
