#include "transfer/EcdsaSignature.h"

#include "transfer/DerReader.h"

namespace updater {

bool RawEcdsaSignature(std::string_view der, std::string* raw) {
  constexpr std::size_t kHalf = kRawSignatureBytes / 2;
  DerReader outer(der);
  std::string_view sequence, r, s;
  if (!outer.Read(DerReader::kSequence, &sequence) || !outer.AtEnd()) return false;
  DerReader inner(sequence);
  if (!inner.ReadPositiveInteger(&r) || !inner.ReadPositiveInteger(&s) || !inner.AtEnd()) {
    return false;
  }
  if (r.size() > kHalf || s.size() > kHalf) return false;
  raw->assign(kHalf - r.size(), '\0');
  raw->append(r);
  raw->append(kHalf - s.size(), '\0');
  raw->append(s);
  return true;
}

}  // namespace updater
