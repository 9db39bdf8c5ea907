#pragma once

#include <string_view>

namespace updater {

// Reads the distinguished encoding that keys and signatures of standard tools use, one element
// after another: single-byte tags and definite lengths in their shortest form only, so that one
// value has one encoding and nothing can hide in a longer one. Lengths are bounded at 64 KiB.
class DerReader {
 public:
  static constexpr unsigned char kInteger = 0x02;
  static constexpr unsigned char kBitString = 0x03;
  static constexpr unsigned char kOctetString = 0x04;
  static constexpr unsigned char kObjectId = 0x06;
  static constexpr unsigned char kSequence = 0x30;
  // Context-specific, constructed: [0] and [1].
  static constexpr unsigned char kExplicit0 = 0xA0;
  static constexpr unsigned char kExplicit1 = 0xA1;

  explicit DerReader(std::string_view bytes) : rest_(bytes) {}

  // The contents of the next element when it has `tag`; false, reading nothing, for another tag,
  // a length not in its shortest form or one that runs past the end.
  bool Read(unsigned char tag, std::string_view* contents);
  // As Read, but an element of another tag (or none) is left where it is and counts as absent.
  bool ReadOptional(unsigned char tag, std::string_view* contents, bool* present);
  // A positive INTEGER's magnitude without the sign byte DER puts before a high first bit; false
  // for zero, a negative number or a needless leading zero.
  bool ReadPositiveInteger(std::string_view* magnitude);
  bool AtEnd() const { return rest_.empty(); }

 private:
  std::string_view rest_;
};

}  // namespace updater
