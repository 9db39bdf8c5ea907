// Downloads one installer through the updater's download step, either whole or by its block map
// with the kept installers of the downloads folder, and prints the time taken and the result.
#include <windows.h>

#include <cstdio>
#include <string>

#include "bench/Stopwatch.h"
#include "config/ClientConfig.h"
#include "engine/SelectedDownloads.h"
#include "transfer/UpdateEvents.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 8) {
    fwprintf(stderr, L"usage: DeltaBench full|delta CLIENT_INI DOWNLOADS URL MAP_URL SIZE SHA256\n");
    return 2;
  }
  const std::wstring mode = argv[1];
  updater::ClientConfig config(argv[2]);
  if (config.Load() != 0) return 2;
  config.SetDownloadsFolder(argv[3]);
  updater::UpdateList list;
  updater::UpdateInfo& update = list.updates.emplace_back();
  update.sectionName = update.name = L"Bench";
  update.urls = {argv[4]};
  if (mode == L"delta") update.blockMapUrl = argv[5];
  update.size = static_cast<std::int64_t>(_wtoi64(argv[6]));
  update.sha256 = argv[7];
  update.localFilePath = std::wstring(argv[3]) + L"\\Bench\\bench.exe";
  update.selectedForInstall = true;
  // Removing the last run's file is not the download's time.
  DeleteFileW(update.localFilePath.c_str());
  const Stopwatch stopwatch;
  const updater::ResultCode result = updater::DownloadSelectedUpdates(
      list, config, updater::Unobserved(),
      [](const updater::UpdateInfo&) { return updater::DownloadState::ToDownload; }, nullptr);
  const double seconds = stopwatch.Seconds();
  wprintf(L"%ls seconds=%.3f result=0x%X\n", mode.c_str(), seconds, result);
  return result == 0 ? 0 : 1;
}
