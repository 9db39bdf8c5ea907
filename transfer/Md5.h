#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace updater {

// The MD5 message digest of RFC 1321, computed here rather than by a CryptoAPI provider, so that
// checking a download does not depend on which providers a system offers.
class Md5 {
 public:
  using Digest = std::array<unsigned char, 16>;

  Md5();
  void Update(const void* data, std::size_t size);
  // Pads the message and returns its digest; the object is then spent.
  Digest Final();

 private:
  void Transform(const unsigned char* block);

  std::uint32_t state_[4];
  std::uint64_t byteCount_ = 0;
  unsigned char buffer_[64];
};

// The digest as 32 lower-case hexadecimal digits, the form MD5 values are written in.
std::wstring Md5LowerHex(const Md5::Digest& digest);

// The digest of `bytes` in that form.
std::wstring Md5HexDigest(const std::string& bytes);

}  // namespace updater
