// Loads generated update configuration files of 10 to 5,000 update sections (each depending on
// and absorbing the next) and prints the best load time of five for each, to show how it grows.

#include <windows.h>

#include <cstdio>
#include <string>

#include "config/ClientConfig.h"
#include "base/UniqueHandle.h"
#include "catalogue/ServerConfig.h"

namespace {

using updater::ClientConfig;
using updater::ServerConfig;
using updater::UpdateList;

constexpr int kRuns = 5;

void WriteAnsiFile(const std::wstring& path, const std::string& text) {
  const updater::FileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

// Sections of the size a publisher writes: descriptions, items, two URLs, detection and links.
std::string UpdateConfig(int sections) {
  std::string text = ";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n";
  for (int i = 0; i < sections; ++i) {
    const std::string n = std::to_string(i);
    text += "[Update" + n + "]\r\nName=Update " + n + "\r\nDescription=Release " + n +
            " of the application\r\nFeature=New feature " + n + "\r\nFeature1=Another feature\r\n" +
            "BugFix=Fixed crash " + n + "\r\nSize=" + std::to_string(100000 + i) +
            "\r\nFlags=Critical|SilentInstall\r\nSHA256=" + std::string(64, 'A') +
            "\r\nURL=https://downloads.example.com/update" + n +
            ".exe\r\nURL1=https://mirror.example.com/update" + n +
            ".exe\r\nReleaseDate=5/3/2021\r\nCommandLine=/norestart\r\n" +
            "FilePath=C:\\Program Files\\App\\app.exe\r\nVersion=>= 1." + n + "\r\n";
    const std::string next = "Update" + std::to_string(i + 1) + "\r\n";
    if (i + 1 < sections) text += "Depends=" + next + "NextDeprecated=" + next;
  }
  return text;
}

}  // namespace

int wmain() {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder =
      std::wstring(temp) + L"ServerConfigBenchmark_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring clientPath = folder + L"\\client.ini";
  WriteAnsiFile(clientPath,
                "[General]\r\nID=ServerConfigBenchmark\r\nURL=https://example.com/u.ini"
                "\r\nDownloadsFolder=C:\\Downloads\r\n");
  ClientConfig client(clientPath);
  client.Load();

  std::printf("%10s %12s %16s\n", "sections", "best ms", "ms per section");
  const std::wstring path = folder + L"\\updates.ini";
  for (const int sections : {10, 100, 1000, 5000}) {
    WriteAnsiFile(path, UpdateConfig(sections));
    double best = 0;
    for (int run = 0; run < kRuns; ++run) {
      UpdateList list;
      ServerConfig config(path, client, list);
      LARGE_INTEGER start, end, frequency;
      QueryPerformanceCounter(&start);
      const updater::ResultCode result = config.Load(true, true);
      QueryPerformanceCounter(&end);
      QueryPerformanceFrequency(&frequency);
      if (result != updater::kSuccess || list.updates.size() != static_cast<size_t>(sections)) {
        std::printf("load of %d sections failed: 0x%X\n", sections, result);
        return 1;
      }
      const double ms = 1000.0 * (end.QuadPart - start.QuadPart) / frequency.QuadPart;
      if (run == 0 || ms < best) best = ms;
    }
    std::printf("%10d %12.1f %16.3f\n", sections, best, best / sections);
  }
  DeleteFileW(path.c_str());
  DeleteFileW(clientPath.c_str());
  RemoveDirectoryW(folder.c_str());
  return 0;
}
