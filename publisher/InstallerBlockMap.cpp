#include "publisher/InstallerBlockMap.h"

#include <windows.h>

#include <utility>

#include "base/UniqueHandle.h"
#include "transfer/Sha256File.h"

namespace updater {
namespace {

constexpr DWORD kReadBytes = 1024 * 1024;

}  // namespace

ResultCode MapInstaller(const std::wstring& path, BlockMap* map) {
  // Others may read it meanwhile, but not change it under the hashes.
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return GetLastError();
  if (static_cast<std::uint64_t>(size.QuadPart) > kMaxBlockMapFileBytes) {
    return ERROR_FILE_TOO_LARGE;
  }
  BlockMap mapped;
  mapped.size = static_cast<std::uint64_t>(size.QuadPart);
  if (const ResultCode hashed = ComputeSHA256(file.Get(), &mapped.sha256)) return hashed;
  if (!SetFilePointerEx(file.Get(), {}, nullptr, FILE_BEGIN)) return GetLastError();
  ContentChunker chunker;
  std::vector<unsigned char> buffer(kReadBytes);
  std::string block;  // the bytes of the block not cut yet
  std::vector<std::uint64_t> cuts;
  std::uint64_t fed = 0;
  for (DWORD read = 1; read > 0;) {
    if (!ReadFile(file.Get(), buffer.data(), kReadBytes, &read, nullptr)) return GetLastError();
    cuts.clear();
    if (read > 0) {
      chunker.Feed(buffer.data(), read, &cuts);
    } else {
      chunker.Finish(&cuts);
    }
    std::size_t used = 0;
    for (const std::uint64_t cut : cuts) {
      const std::size_t taken = static_cast<std::size_t>(cut - fed) - used;
      block.append(reinterpret_cast<const char*>(buffer.data()) + used, taken);
      used += taken;
      MappedBlock mappedBlock;
      mappedBlock.offset = cut - block.size();
      mappedBlock.length = static_cast<std::uint32_t>(block.size());
      if (const ResultCode hashed = ComputeSHA256(block, &mappedBlock.sha256)) return hashed;
      mapped.blocks.push_back(std::move(mappedBlock));
      block.clear();
    }
    block.append(reinterpret_cast<const char*>(buffer.data()) + used, read - used);
    fed += read;
  }
  *map = std::move(mapped);
  return kSuccess;
}

}  // namespace updater
