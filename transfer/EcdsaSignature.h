#pragma once

#include <string>
#include <string_view>

namespace updater {

// A P-256 signature as CNG takes it: r and s, 32 bytes each, big-endian.
constexpr std::size_t kRawSignatureBytes = 64;

// The raw form of a DER-encoded ECDSA signature (SEQUENCE of the INTEGERs r and s, as standard
// tools print it); false for anything else, or an r or s of more than 32 bytes or zero.
bool RawEcdsaSignature(std::string_view der, std::string* raw);

}  // namespace updater
