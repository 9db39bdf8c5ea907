#include "transfer/UserDetailsValue.h"

#include <windows.h>

#include <cstdint>

#include "transfer/HexText.h"
#include "transfer/Utf16Bytes.h"

namespace updater {
namespace {

void AppendUint32(std::uint32_t value, std::vector<unsigned char>* bytes) {
  for (int shift = 0; shift < 32; shift += 8) {
    bytes->push_back(static_cast<unsigned char>((value >> shift) & 0xFF));
  }
}

void AppendCountedText(const std::wstring& text, std::vector<unsigned char>* bytes) {
  AppendUint32(static_cast<std::uint32_t>(text.size() * 2), bytes);
  AppendUtf16Bytes(text, bytes);
}

// Reads forward through a buffer; every read checks that the bytes are there.
class ByteReader {
 public:
  explicit ByteReader(const std::vector<unsigned char>& bytes) : bytes_(bytes) {}

  size_t Remaining() const { return bytes_.size() - offset_; }

  bool ReadUint32(std::uint32_t* value) {
    if (Remaining() < 4) return false;
    *value = 0;
    for (int i = 3; i >= 0; --i) *value = (*value << 8) | bytes_[offset_ + i];
    offset_ += 4;
    return true;
  }

  bool ReadCountedText(std::wstring* text) {
    std::uint32_t length = 0;
    if (!ReadUint32(&length) || length % 2 != 0 || length > Remaining()) return false;
    *text = TextOfUtf16Bytes(bytes_.data() + offset_, length);
    offset_ += length;
    return true;
  }

 private:
  const std::vector<unsigned char>& bytes_;
  size_t offset_ = 0;
};

// Each entry takes at least its two length fields.
constexpr size_t kMinEntryBytes = 8;

}  // namespace

std::vector<unsigned char> EncodeUserDetails(const std::vector<ProtectedCredential>& list) {
  // The value is sized as 8 + the entries' bytes, four more than the fields fill, as the program
  // has always stored it; the tail stays zero.
  size_t size = 8;
  for (const ProtectedCredential& entry : list) {
    size += kMinEntryBytes + (entry.user.size() + entry.protectedPassword.size()) * 2;
  }
  std::vector<unsigned char> bytes;
  bytes.reserve(size);
  AppendUint32(static_cast<std::uint32_t>(list.size()), &bytes);
  for (const ProtectedCredential& entry : list) {
    AppendCountedText(entry.user, &bytes);
    AppendCountedText(entry.protectedPassword, &bytes);
  }
  bytes.resize(size, 0);
  return bytes;
}

ResultCode DecodeUserDetails(const std::vector<unsigned char>& bytes,
                             std::vector<ProtectedCredential>* list) {
  ByteReader reader(bytes);
  std::uint32_t count = 0;
  if (!reader.ReadUint32(&count) || count > reader.Remaining() / kMinEntryBytes) {
    return ERROR_INVALID_DATA;
  }
  std::vector<ProtectedCredential> decoded(count);
  for (ProtectedCredential& entry : decoded) {
    if (!reader.ReadCountedText(&entry.user) ||
        !reader.ReadCountedText(&entry.protectedPassword)) {
      return ERROR_INVALID_DATA;
    }
  }
  *list = std::move(decoded);
  return kSuccess;
}

std::wstring FormatUserDetailsValue(const std::vector<ProtectedCredential>& list) {
  return ToHexText(EncodeUserDetails(list));
}

ResultCode ParseUserDetailsValue(const std::wstring& text, std::vector<ProtectedCredential>* list) {
  std::vector<unsigned char> bytes;
  const ResultCode parsed = ParseHexText(text, &bytes);
  if (parsed != kSuccess) return parsed;
  return DecodeUserDetails(bytes, list);
}

}  // namespace updater
