#include "transfer/DerReader.h"

#include <cstddef>

namespace updater {
namespace {

constexpr std::size_t kMaxLength = 0xFFFF;

unsigned char Byte(std::string_view bytes, std::size_t at) {
  return static_cast<unsigned char>(bytes[at]);
}

}  // namespace

bool DerReader::Read(unsigned char tag, std::string_view* contents) {
  if (rest_.size() < 2 || Byte(rest_, 0) != tag) return false;
  std::size_t length = Byte(rest_, 1);
  std::size_t header = 2;
  if (length & 0x80) {
    const std::size_t count = length & 0x7F;
    if (count == 0 || count > 2 || rest_.size() < 2 + count || Byte(rest_, 2) == 0) return false;
    length = 0;
    for (std::size_t i = 0; i < count; ++i) length = (length << 8) | Byte(rest_, 2 + i);
    // The short form holds lengths below 128: a long form for them is not DER.
    if (length < 0x80 || length > kMaxLength) return false;
    header += count;
  }
  if (rest_.size() - header < length) return false;
  *contents = rest_.substr(header, length);
  rest_.remove_prefix(header + length);
  return true;
}

bool DerReader::ReadOptional(unsigned char tag, std::string_view* contents, bool* present) {
  *present = !rest_.empty() && Byte(rest_, 0) == tag;
  return !*present || Read(tag, contents);
}

bool DerReader::ReadPositiveInteger(std::string_view* magnitude) {
  std::string_view value;
  if (!Read(kInteger, &value) || value.empty() || (Byte(value, 0) & 0x80)) return false;
  if (Byte(value, 0) == 0) {
    // A leading zero only keeps a high first bit from reading as a sign.
    if (value.size() == 1 || !(Byte(value, 1) & 0x80)) return false;
    value.remove_prefix(1);
  }
  *magnitude = value;
  return true;
}

}  // namespace updater
