#include "service/CommandBlock.h"

#include <cstring>

namespace updater {
namespace {

void WriteField(unsigned char* block, std::size_t index, const std::wstring& text) {
  char16_t field[kCommandFieldChars] = {};
  for (std::size_t i = 0; i < text.size() && i < kCommandFieldChars - 1; ++i) {
    field[i] = static_cast<char16_t>(text[i]);
  }
  std::memcpy(block + index * kCommandFieldBytes, field, kCommandFieldBytes);
}

// Copies the field out first, so that a writer changing it meanwhile cannot move the terminator
// between measuring and copying.
std::wstring ReadField(const unsigned char* block, std::size_t index) {
  char16_t field[kCommandFieldChars];
  std::memcpy(field, block + index * kCommandFieldBytes, kCommandFieldBytes);
  std::size_t length = 0;
  while (length < kCommandFieldChars - 1 && field[length] != u'\0') ++length;
  return std::wstring(field, field + length);
}

}  // namespace

void WriteCommand(void* block, const IpcCommand& command) {
  auto* bytes = static_cast<unsigned char*>(block);
  WriteField(bytes, 0, command.name);
  WriteField(bytes, 1, command.argument1);
  WriteField(bytes, 2, command.argument2);
  WriteField(bytes, 3, command.argument3);
}

IpcCommand ReadCommand(const void* block) {
  const auto* bytes = static_cast<const unsigned char*>(block);
  return {ReadField(bytes, 0), ReadField(bytes, 1), ReadField(bytes, 2), ReadField(bytes, 3)};
}

void WriteCommandResult(void* block, ResultCode result) {
  const unsigned char le[4] = {
      static_cast<unsigned char>(result), static_cast<unsigned char>(result >> 8),
      static_cast<unsigned char>(result >> 16), static_cast<unsigned char>(result >> 24)};
  std::memcpy(static_cast<unsigned char*>(block) + kCommandResultOffset, le, sizeof(le));
}

ResultCode ReadCommandResult(const void* block) {
  unsigned char le[4];
  std::memcpy(le, static_cast<const unsigned char*>(block) + kCommandResultOffset, sizeof(le));
  return ResultCode{le[0]} | ResultCode{le[1]} << 8 | ResultCode{le[2]} << 16 |
         ResultCode{le[3]} << 24;
}

}  // namespace updater
