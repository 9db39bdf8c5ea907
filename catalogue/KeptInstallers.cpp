#include "catalogue/KeptInstallers.h"

#include <windows.h>

#include <algorithm>

#include "base/AnsiText.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

struct KeptFile {
  std::wstring path;
  ULONGLONG written = 0;
};

// The entries of `folder` that `wanted` takes, by their find data.
template <typename Wanted>
void ListFolder(const std::wstring& folder, const Wanted& wanted) {
  WIN32_FIND_DATAW data;
  FindHandle find(FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &data,
                                   FindExSearchNameMatch, nullptr, 0));
  if (!find) return;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L".." || (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
      continue;
    }
    wanted(folder + L'\\' + name, data);
  } while (FindNextFileW(find.Get(), &data));
}

bool EndsWith(const std::wstring& path, const wchar_t* suffix) {
  const std::size_t length = wcslen(suffix);
  return path.size() >= length && EqualsIgnoringCase(path.substr(path.size() - length), suffix);
}

// A partial download or a block map being fetched is no installer.
bool IsInstaller(const std::wstring& path, const WIN32_FIND_DATAW& data) {
  return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && data.nFileSizeHigh == 0 &&
         data.nFileSizeLow > 0 && !EndsWith(path, L".part") && !EndsWith(path, L".blockmap");
}

}  // namespace

std::vector<std::wstring> FindKeptInstallers(const std::wstring& downloadsFolder,
                                             const std::wstring& except, std::size_t count) {
  std::vector<KeptFile> kept;
  std::wstring folder = downloadsFolder;
  while (!folder.empty() && folder.back() == L'\\') folder.pop_back();
  if (folder.empty()) return {};
  ListFolder(folder, [&](const std::wstring& section, const WIN32_FIND_DATAW& found) {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) return;
    ListFolder(section, [&](const std::wstring& path, const WIN32_FIND_DATAW& data) {
      if (!IsInstaller(path, data) || EqualsIgnoringCase(path, except.c_str())) return;
      const ULARGE_INTEGER written = {{data.ftLastWriteTime.dwLowDateTime,
                                       data.ftLastWriteTime.dwHighDateTime}};
      kept.push_back({path, written.QuadPart});
    });
  });
  std::sort(kept.begin(), kept.end(),
            [](const KeptFile& a, const KeptFile& b) { return a.written > b.written; });
  std::vector<std::wstring> newest;
  for (std::size_t i = 0; i < kept.size() && i < count; ++i) newest.push_back(kept[i].path);
  return newest;
}

}  // namespace updater
