// ParseCommandLine; a line refused says why, and a line accepted is kept as it parsed.
#include "FuzzSupport.h"
#include "app/CommandLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::wstring text = fuzz::Utf16Units(data, size);
  for (const std::wstring& token : TokenizeCommandLine(text)) {
    FUZZ_CHECK(token.size() <= text.size());
  }
  CommandLine commandLine;
  commandLine.serviceName = L"untouched";
  std::wstring rejection;
  const ResultCode result = ParseCommandLine(text, L"updater-link:", &commandLine, &rejection);
  FUZZ_CHECK(result == kSuccess || result == kInvalidCommandLine);
  if (result != kSuccess) FUZZ_CHECK(!rejection.empty() && commandLine.serviceName == L"untouched");
  return 0;
}
