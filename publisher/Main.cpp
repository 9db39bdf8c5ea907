#include <windows.h>
#include <shellapi.h>

#include <string>
#include <utility>
#include <vector>

#include "base/AnsiText.h"
#include "publisher/FeedTool.h"

// The publisher's console tool: prepares, signs and checks update configuration files, and maps
// installers into blocks.
int wmain() {
  int count = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; argv != nullptr && i < count; ++i) arguments.emplace_back(argv[i]);
  LocalFree(argv);
  std::wstring out, warnings;
  const int status = updater::RunFeedTool(arguments, &out, &warnings);
  for (const auto& [handle, printed] : {std::make_pair(STD_OUTPUT_HANDLE, &out),
                                        std::make_pair(STD_ERROR_HANDLE, &warnings)}) {
    const std::string text = updater::ToUtf8Text(*printed);
    DWORD written = 0;
    WriteFile(GetStdHandle(handle), text.data(), static_cast<DWORD>(text.size()), &written,
              nullptr);
  }
  return status;
}
