#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/AnsiText.h"
#include "publisher/FeedTool.h"

// The publisher's console tool: prepares, signs and checks update configuration files.
int wmain() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; argv != nullptr && i < count; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  std::wstring out;
  const int status = updater::RunFeedTool(arguments, &out);
  const std::string text = updater::ToUtf8Text(out);
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()),
            &written, nullptr);
  return status;
}
