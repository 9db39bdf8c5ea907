#include "transfer/DeltaAssembly.h"

#include <algorithm>

#include "base/UniqueHandle.h"
#include "transfer/Sha256Hash.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

constexpr DWORD kCopyBytes = 1024 * 1024;

// The new file as it grows: what is written is hashed and counted as progress.
class GrowingFile {
 public:
  GrowingFile(HANDLE file, UpdateEvents& events) : file_(file), events_(events) {}

  ResultCode Begin() { return hash_.Begin(); }

  ResultCode Write(const char* bytes, DWORD size) {
    DWORD written = 0;
    if (!WriteFile(file_, bytes, size, &written, nullptr)) return GetLastError();
    if (written != size) return ERROR_WRITE_FAULT;
    if (const ResultCode added = hash_.Add(bytes, size)) return added;
    size_ += size;
    events_.Advanced(size);
    return kSuccess;
  }

  // Copies `length` bytes of `source` from `offset` on.
  ResultCode Copy(HANDLE source, std::uint64_t offset, std::uint64_t length) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(source, position, nullptr, FILE_BEGIN)) return GetLastError();
    buffer_.resize(kCopyBytes);
    while (length > 0) {
      const DWORD wanted = static_cast<DWORD>(std::min<std::uint64_t>(length, kCopyBytes));
      DWORD read = 0;
      if (!ReadFile(source, buffer_.data(), wanted, &read, nullptr)) return GetLastError();
      // The kept file is shorter than it was when it was mapped.
      if (read != wanted) return ERROR_HANDLE_EOF;
      if (const ResultCode written = Write(buffer_.data(), read)) return written;
      length -= read;
    }
    return kSuccess;
  }

  ResultCode Finish(const BlockMap& target) {
    std::vector<unsigned char> digest;
    if (const ResultCode finished = hash_.Finish(&digest)) return finished;
    if (size_ != target.size) return kSizeMismatch;
    return digest == target.sha256 ? kSuccess : kSha256Mismatch;
  }

 private:
  HANDLE file_;
  UpdateEvents& events_;
  Sha256Hash hash_;
  std::vector<char> buffer_;
  std::uint64_t size_ = 0;
};

}  // namespace

ResultCode AssembleDelta(const DeltaRecipe& recipe, HANDLE file, UpdateEvents& events,
                         const RangeFetch& fetch) {
  std::vector<FileHandle> sources;
  for (const std::wstring& path : recipe.sources) {
    // Read while others read it too, but not while anyone changes it.
    sources.emplace_back(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!sources.back()) return GetLastError();
  }
  GrowingFile out(file, events);
  if (const ResultCode begun = out.Begin()) return begun;
  const std::vector<BlockCopy>& copies = recipe.plan.copies;
  const std::vector<ByteRange>& ranges = recipe.plan.ranges;
  const ByteSink sink = [&out](const char* bytes, DWORD size) { return out.Write(bytes, size); };
  for (std::size_t copy = 0, range = 0; copy < copies.size() || range < ranges.size();) {
    if (events.IsCanceled()) return kCanceled;
    const bool copyNext =
        range == ranges.size() ||
        (copy < copies.size() && copies[copy].targetOffset < ranges[range].first);
    if (copyNext && copies[copy].source >= sources.size()) return ERROR_INVALID_DATA;
    const ResultCode result =
        copyNext ? out.Copy(sources[copies[copy].source].Get(), copies[copy].sourceOffset,
                            copies[copy].length)
                 : fetch(ranges[range], sink);
    if (result != kSuccess) return result;
    ++(copyNext ? copy : range);
  }
  return out.Finish(recipe.target);
}

}  // namespace updater
