// ReadCommand over a block any local process may have written; what it reads is terminated within
// its field, and written back reads the same without touching the result.
#include <cstring>
#include <vector>

#include "FuzzSupport.h"
#include "service/CommandBlock.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const auto fields = [](const IpcCommand& c) {
    return std::vector<std::wstring>{c.name, c.argument1, c.argument2, c.argument3};
  };
  std::vector<unsigned char> block(kCommandBlockSize, 0);
  std::memcpy(block.data(), data, size < block.size() ? size : block.size());
  const std::vector<std::wstring> read = fields(ReadCommand(block.data()));
  for (const std::wstring& field : read) {
    FUZZ_CHECK(field.size() < kCommandFieldChars && field.find(L'\0') == std::wstring::npos);
  }
  const ResultCode result = ReadCommandResult(block.data());
  WriteCommand(block.data(), {read[0], read[1], read[2], read[3]});
  FUZZ_CHECK(fields(ReadCommand(block.data())) == read);
  FUZZ_CHECK(ReadCommandResult(block.data()) == result);
  return 0;
}
