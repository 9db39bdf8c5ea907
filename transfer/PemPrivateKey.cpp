#include "transfer/PemPrivateKey.h"

#include "transfer/DerReader.h"
#include "transfer/FeedKey.h"

namespace updater {
namespace {

constexpr std::size_t kCoordinate = 32;
// id-ecPublicKey (1.2.840.10045.2.1) and prime256v1 (1.2.840.10045.3.1.7), as DER contents.
constexpr std::string_view kEcPublicKeyOid("\x2A\x86\x48\xCE\x3D\x02\x01", 7);
constexpr std::string_view kP256Oid("\x2A\x86\x48\xCE\x3D\x03\x01\x07", 8);
constexpr std::string_view kBegin = "-----BEGIN ";
constexpr std::string_view kDashes = "-----";

// The base64 body of the first block labelled `label`, line breaks and spaces removed.
bool PemBody(std::string_view text, std::string_view label, std::string* body) {
  const std::string begin = std::string(kBegin) + std::string(label) + std::string(kDashes);
  const std::string end = "-----END " + std::string(label) + std::string(kDashes);
  std::size_t start = text.find(begin);
  if (start == std::string_view::npos) return false;
  start += begin.size();
  const std::size_t stop = text.find(end, start);
  if (stop == std::string_view::npos) return false;
  body->clear();
  for (const char c : text.substr(start, stop - start)) {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
    // Encrypted keys carry headers ("Proc-Type: ...") that are no base64.
    if (c == ':') return false;
    body->push_back(c);
  }
  return true;
}

bool Decode(const std::string& body, std::string* der) {
  return Base64Decode(std::wstring(body.begin(), body.end()), der);
}

// SEC1's ECPrivateKey: version 1, the private value, the curve when named (PKCS#8 names it
// outside) and the public point, which CNG needs beside the private value.
bool ParseEcPrivateKey(std::string_view der, EcPrivateKey* key) {
  DerReader outer(der);
  std::string_view sequence, version, d, parameters, publicKey, curve, bits;
  if (!outer.Read(DerReader::kSequence, &sequence) || !outer.AtEnd()) return false;
  DerReader fields(sequence);
  bool hasCurve = false, hasPublic = false;
  if (!fields.Read(DerReader::kInteger, &version) || version != std::string_view("\x01", 1) ||
      !fields.Read(DerReader::kOctetString, &d) || d.size() != kCoordinate ||
      !fields.ReadOptional(DerReader::kExplicit0, &parameters, &hasCurve) ||
      !fields.ReadOptional(DerReader::kExplicit1, &publicKey, &hasPublic) || !fields.AtEnd()) {
    return false;
  }
  if (hasCurve) {
    DerReader named(parameters);
    if (!named.Read(DerReader::kObjectId, &curve) || curve != kP256Oid || !named.AtEnd()) {
      return false;
    }
  }
  if (!hasPublic) return false;
  DerReader point(publicKey);
  // A BIT STRING with no unused bits holding 04 || X || Y.
  if (!point.Read(DerReader::kBitString, &bits) || !point.AtEnd() ||
      bits.size() != 2 + 2 * kCoordinate || bits[0] != '\0' || bits[1] != '\x04') {
    return false;
  }
  key->d = std::string(d);
  key->x = std::string(bits.substr(2, kCoordinate));
  key->y = std::string(bits.substr(2 + kCoordinate));
  return true;
}

// PKCS#8's PrivateKeyInfo: version 0, the algorithm (EC on P-256) and the SEC1 key inside.
bool ParsePrivateKeyInfo(std::string_view der, EcPrivateKey* key) {
  DerReader outer(der);
  std::string_view sequence, version, algorithm, oid, curve, inner;
  if (!outer.Read(DerReader::kSequence, &sequence) || !outer.AtEnd()) return false;
  DerReader fields(sequence);
  if (!fields.Read(DerReader::kInteger, &version) || version != std::string_view("\0", 1) ||
      !fields.Read(DerReader::kSequence, &algorithm) ||
      !fields.Read(DerReader::kOctetString, &inner)) {
    return false;
  }
  DerReader named(algorithm);
  if (!named.Read(DerReader::kObjectId, &oid) || oid != kEcPublicKeyOid ||
      !named.Read(DerReader::kObjectId, &curve) || curve != kP256Oid || !named.AtEnd()) {
    return false;
  }
  // Attributes may follow; nothing in them matters for signing.
  return ParseEcPrivateKey(inner, key);
}

}  // namespace

bool ParsePemPrivateKey(std::string_view text, EcPrivateKey* key) {
  std::string body, der;
  if (PemBody(text, "PRIVATE KEY", &body)) {
    return Decode(body, &der) && ParsePrivateKeyInfo(der, key);
  }
  return PemBody(text, "EC PRIVATE KEY", &body) && Decode(body, &der) &&
         ParseEcPrivateKey(der, key);
}

bool LooksLikePem(std::string_view text) { return text.find(kBegin) != std::string_view::npos; }

}  // namespace updater
