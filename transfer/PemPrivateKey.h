#pragma once

#include <string>
#include <string_view>

namespace updater {

// A P-256 private key with its public point, each coordinate 32 bytes, big-endian.
struct EcPrivateKey {
  std::string d;
  std::string x;
  std::string y;
};

// The key of a PEM file that standard tools write for P-256: "PRIVATE KEY" (PKCS#8, what
// `openssl genpkey` writes) or "EC PRIVATE KEY" (SEC1, what `openssl ecparam -genkey` writes,
// after an "EC PARAMETERS" block that is skipped). The key must name the P-256 curve where its
// form has a place for it and carry its public point uncompressed, as those tools write it by
// default; false otherwise, and for encrypted keys.
bool ParsePemPrivateKey(std::string_view text, EcPrivateKey* key);

// Whether `text` is PEM rather than the base64 line keygen writes.
bool LooksLikePem(std::string_view text);

}  // namespace updater
