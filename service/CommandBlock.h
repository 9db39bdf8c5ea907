#pragma once

#include <cstddef>
#include <string>

#include "base/ResultCode.h"

namespace updater {

// The shared memory a client writes its command into and the server its result. The fields hold
// UTF-16 code units, so that the layout does not depend on the size of wchar_t.
constexpr std::size_t kCommandFieldChars = 1040;  // 1039 characters and the terminator
constexpr std::size_t kCommandFieldBytes = kCommandFieldChars * sizeof(char16_t);
constexpr std::size_t kCommandFieldCount = 4;
constexpr std::size_t kCommandResultOffset = kCommandFieldCount * kCommandFieldBytes;
constexpr std::size_t kCommandBlockSize = kCommandResultOffset + sizeof(ResultCode);
static_assert(kCommandResultOffset == 0x2080 && kCommandBlockSize == 0x2084,
              "the block layout is shared with servers of earlier versions");

struct IpcCommand {
  std::wstring name;
  std::wstring argument1;
  std::wstring argument2;
  std::wstring argument3;
};

// Each string is cut to 1039 characters and always terminated.
void WriteCommand(void* block, const IpcCommand& command);
// Never reads past a field: any process that can open the block may have written it, with or
// without terminators.
IpcCommand ReadCommand(const void* block);

void WriteCommandResult(void* block, ResultCode result);
ResultCode ReadCommandResult(const void* block);

}  // namespace updater
