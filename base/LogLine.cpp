#include "base/LogLine.h"

#include <cwchar>

namespace updater {
namespace {

constexpr std::size_t kMessageColumn = 120;

}  // namespace

std::wstring FormatLogLine(const SYSTEMTIME& localTime, DWORD processId, DWORD threadId,
                           const std::wstring& context, const std::wstring& message) {
  wchar_t head[96];
  swprintf(head, sizeof(head) / sizeof(head[0]), L"# %04u-%02u-%02u %02u-%02u-%02u [PID=%lu|Thread=%lu] ",
           static_cast<unsigned>(localTime.wYear), static_cast<unsigned>(localTime.wMonth),
           static_cast<unsigned>(localTime.wDay), static_cast<unsigned>(localTime.wHour),
           static_cast<unsigned>(localTime.wMinute), static_cast<unsigned>(localTime.wSecond),
           static_cast<unsigned long>(processId), static_cast<unsigned long>(threadId));
  std::wstring line = head;
  line += context;
  const std::size_t blanks = line.size() < kMessageColumn ? kMessageColumn - line.size() : 1;
  line.append(blanks, L' ');
  line += L"|\t\t";
  // System texts often end in a line break of their own; one message stays one line.
  line.append(message, 0, message.find_last_not_of(L"\r\n") + 1);
  line += L"\r\n";
  return line;
}

}  // namespace updater
