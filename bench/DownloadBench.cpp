// Downloads one URL with the project's downloader and with a bare synchronous WinINet loop of
// 51200-byte reads, and prints each throughput and the process's peak working set.
#include <windows.h>
#include <psapi.h>
#include <wininet.h>

#include <cstdio>
#include <string>

#include "bench/Stopwatch.h"
#include "transfer/Downloader.h"
#include "transfer/InternetHandle.h"

namespace {

unsigned long long BareLoop(const std::wstring& url) {
  updater::InternetHandle root(InternetOpenW(L"bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
  updater::InternetHandle file(InternetOpenUrlW(root.Get(), url.c_str(), nullptr, 0,
                                                INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0));
  static char buffer[51200];
  unsigned long long total = 0;
  DWORD read = 0;
  while (file && InternetReadFile(file.Get(), buffer, sizeof(buffer), &read) && read > 0) total += read;
  return total;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    fwprintf(stderr, L"usage: DownloadBench downloader|bare URL DESTINATION\n");
    return 2;
  }
  const std::wstring mode = argv[1];
  // Removing the last run's 200 MB is not the download's time.
  DeleteFileW(argv[3]);
  DeleteFileW((std::wstring(argv[3]) + L".part").c_str());
  const Stopwatch stopwatch;
  unsigned long long bytes = 0;
  if (mode == L"downloader") {
    updater::Downloader downloader(nullptr, nullptr);
    const updater::ResultCode result = downloader.Download(argv[2], argv[3]);
    if (result != 0) {
      fwprintf(stderr, L"download failed: 0x%X\n", result);
      return 1;
    }
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(argv[3], GetFileExInfoStandard, &data)) bytes = data.nFileSizeLow;
  } else {
    bytes = BareLoop(argv[2]);
  }
  const double seconds = stopwatch.Seconds();
  PROCESS_MEMORY_COUNTERS memory = {};
  GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof(memory));
  wprintf(L"%ls bytes=%llu seconds=%.3f mbps=%.1f peak_ws_kib=%lu\n", mode.c_str(), bytes, seconds,
          bytes / seconds / 1e6, static_cast<unsigned long>(memory.PeakWorkingSetSize / 1024));
  return bytes > 0 ? 0 : 1;
}
