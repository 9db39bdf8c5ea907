#include "service/ServerWorkFolder.h"

#include <windows.h>

#include "base/PrivateFolder.h"
#include "base/UniqueHandle.h"

namespace updater {
ServerWorkFolder::~ServerWorkFolder() {
  if (path_.empty()) return;
  // Only this server writes here: files, and the folder of the installer, which the command
  // removes itself.
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW((path_ + L"\\" + entry.cFileName).c_str());
      }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(path_.c_str());
}

ResultCode ServerWorkFolder::Create(const std::wstring& parent) {
  return CreateFreshPrivateFolder(parent, L"qzs", &path_);
}

}  // namespace updater
