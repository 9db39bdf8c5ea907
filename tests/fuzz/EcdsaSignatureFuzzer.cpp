// RawEcdsaSignature over the DER signature of an update configuration file; DER has one
// encoding a value, so whatever it accepts must be the encoding of the r and s it returns.
#include <string>

#include "FuzzSupport.h"
#include "transfer/EcdsaSignature.h"

namespace {

std::string DerInteger(std::string magnitude) {
  magnitude.erase(0, magnitude.find_first_not_of('\0'));
  if (static_cast<unsigned char>(magnitude[0]) & 0x80) magnitude.insert(0, 1, '\0');
  return std::string{'\x02', static_cast<char>(magnitude.size())} + magnitude;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string der(reinterpret_cast<const char*>(data), size);
  std::string raw;
  if (!updater::RawEcdsaSignature(der, &raw)) return 0;
  FUZZ_CHECK(raw.size() == updater::kRawSignatureBytes);
  const std::string half = std::string(32, '\0');
  FUZZ_CHECK(raw.compare(0, 32, half) != 0 && raw.compare(32, 32, half) != 0);
  const std::string integers = DerInteger(raw.substr(0, 32)) + DerInteger(raw.substr(32));
  FUZZ_CHECK(der == std::string{'\x30', static_cast<char>(integers.size())} + integers);
  return 0;
}
