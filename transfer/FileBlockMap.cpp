#include "transfer/FileBlockMap.h"

#include <windows.h>

#include <utility>
#include <vector>

#include "base/UniqueHandle.h"
#include "transfer/Sha256Hash.h"

namespace updater {
namespace {

constexpr DWORD kReadBytes = 1024 * 1024;

// Hashes the whole file and each block as the bytes go by.
class BlockHasher {
 public:
  explicit BlockHasher(WholeDigest whole) : takesWhole_(whole == WholeDigest::Take) {}

  ResultCode Begin() {
    const ResultCode begun = takesWhole_ ? whole_.Begin() : kSuccess;
    return begun != kSuccess ? begun : block_.Begin();
  }

  // Takes the next bytes read, `cuts` the ends of the blocks that end within them.
  ResultCode Take(const unsigned char* bytes, DWORD size, const std::vector<std::uint64_t>& cuts,
                  std::vector<MappedBlock>* blocks) {
    if (takesWhole_) {
      if (const ResultCode added = whole_.Add(bytes, size)) return added;
    }
    DWORD used = 0;
    for (const std::uint64_t cut : cuts) {
      const DWORD taken = static_cast<DWORD>(cut - fed_) - used;
      MappedBlock mapped;
      mapped.offset = blockStart_;
      mapped.length = static_cast<std::uint32_t>(cut - blockStart_);
      ResultCode result = block_.Add(bytes + used, taken);
      if (result == kSuccess) result = block_.Finish(&mapped.sha256);
      if (result == kSuccess) result = block_.Begin();
      if (result != kSuccess) return result;
      blocks->push_back(std::move(mapped));
      used += taken;
      blockStart_ = cut;
    }
    fed_ += size;
    return block_.Add(bytes + used, size - used);
  }

  std::uint64_t Fed() const { return fed_; }
  ResultCode Finish(std::vector<unsigned char>* digest) {
    return takesWhole_ ? whole_.Finish(digest) : kSuccess;
  }

 private:
  const bool takesWhole_;
  Sha256Hash whole_;
  Sha256Hash block_;
  std::uint64_t fed_ = 0;
  std::uint64_t blockStart_ = 0;
};

}  // namespace

ResultCode MapFile(const std::wstring& path, WholeDigest whole, BlockMap* map) {
  FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return GetLastError();
  if (static_cast<std::uint64_t>(size.QuadPart) > kMaxBlockMapFileBytes) {
    return ERROR_FILE_TOO_LARGE;
  }
  BlockMap mapped;
  BlockHasher hasher(whole);
  if (const ResultCode begun = hasher.Begin()) return begun;
  ContentChunker chunker;
  std::vector<unsigned char> buffer(kReadBytes);
  std::vector<std::uint64_t> cuts;
  for (DWORD read = 1; read > 0;) {
    if (!ReadFile(file.Get(), buffer.data(), kReadBytes, &read, nullptr)) return GetLastError();
    cuts.clear();
    if (read > 0) {
      chunker.Feed(buffer.data(), read, &cuts);
    } else {
      chunker.Finish(&cuts);
    }
    if (const ResultCode taken = hasher.Take(buffer.data(), read, cuts, &mapped.blocks)) {
      return taken;
    }
  }
  mapped.size = hasher.Fed();
  if (const ResultCode finished = hasher.Finish(&mapped.sha256)) return finished;
  *map = std::move(mapped);
  return kSuccess;
}

}  // namespace updater
