#include "service/ServerWorkFolder.h"

#include <windows.h>

#include <vector>

#include "base/PrivateFolder.h"
#include "base/UniqueHandle.h"

namespace updater {
namespace {

constexpr DWORD kCopyChunk = 64 * 1024;

}  // namespace

ServerWorkFolder::~ServerWorkFolder() {
  if (path_.empty()) return;
  // Only this server writes here, and only files.
  WIN32_FIND_DATAW entry;
  HANDLE search = FindFirstFileW(File(L"*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW(File(entry.cFileName).c_str());
    } while (FindNextFileW(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryW(path_.c_str());
}

ResultCode ServerWorkFolder::Create(const std::wstring& parent) {
  return CreateFreshPrivateFolder(parent, L"qzs", &path_);
}

ResultCode ServerWorkFolder::CopyIn(const std::wstring& source, std::uint64_t size,
                                    const std::wstring& name, std::wstring* copy) {
  FileHandle from(CreateFileW(source.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!from) return GetLastError();
  LARGE_INTEGER length = {};
  if (!GetFileSizeEx(from.Get(), &length)) return GetLastError();
  if (static_cast<std::uint64_t>(length.QuadPart) != size) return kSizeMismatch;
  const std::wstring target = File(name);
  FileHandle to(CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!to) return GetLastError();
  std::vector<char> buffer(kCopyChunk);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(from.Get(), buffer.data(), kCopyChunk, &read, nullptr)) return GetLastError();
    if (read == 0) break;
    DWORD written = 0;
    if (!WriteFile(to.Get(), buffer.data(), read, &written, nullptr)) return GetLastError();
    if (written != read) return kUnableToSaveFile;
  }
  *copy = target;
  return kSuccess;
}

}  // namespace updater
