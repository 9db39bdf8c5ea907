#include "transfer/P256Point.h"

#include <array>
#include <cstdint>

namespace updater {
namespace {

// 256 bits as eight 32-bit limbs, the least significant first.
using Number = std::array<std::uint32_t, 8>;

constexpr Number kPrime = {0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x00000000,
                           0x00000000, 0x00000000, 0x00000001, 0xFFFFFFFF};
constexpr Number kB = {0x27D2604B, 0x3BCE3C3E, 0xCC53B0F6, 0x651D06B0,
                       0x769886BC, 0xB3EBBD55, 0xAA3A93E7, 0x5AC635D8};

Number FromBigEndian(const std::string& bytes, std::size_t offset) {
  Number number{};
  for (std::size_t i = 0; i < 32; ++i) {
    const auto byte = static_cast<std::uint8_t>(bytes[offset + 31 - i]);
    number[i / 4] |= static_cast<std::uint32_t>(byte) << (8 * (i % 4));
  }
  return number;
}

bool IsBelow(const Number& a, const Number& b) {
  for (std::size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i];
  }
  return false;
}

// a + b, or a - b, in place; answers the carry or borrow out of the top limb.
bool Add(Number& a, const Number& b) {
  std::uint64_t carry = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    carry += static_cast<std::uint64_t>(a[i]) + b[i];
    a[i] = static_cast<std::uint32_t>(carry);
    carry >>= 32;
  }
  return carry != 0;
}

bool Subtract(Number& a, const Number& b) {
  std::uint64_t borrow = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const std::uint64_t taken = static_cast<std::uint64_t>(b[i]) + borrow;
    borrow = a[i] < taken ? 1 : 0;
    a[i] = static_cast<std::uint32_t>((static_cast<std::uint64_t>(a[i]) - taken) & 0xFFFFFFFF);
  }
  return borrow != 0;
}

// Modular arithmetic over numbers below the prime.
Number AddMod(Number a, const Number& b) {
  if (Add(a, b) || !IsBelow(a, kPrime)) Subtract(a, kPrime);
  return a;
}

Number SubtractMod(Number a, const Number& b) {
  if (Subtract(a, b)) Add(a, kPrime);
  return a;
}

// Double and add over the bits of `b`: slow, but a key is checked once.
Number MultiplyMod(const Number& a, const Number& b) {
  Number product{};
  for (std::size_t bit = 256; bit-- > 0;) {
    product = AddMod(product, product);
    if ((b[bit / 32] >> (bit % 32)) & 1) product = AddMod(product, a);
  }
  return product;
}

}  // namespace

bool IsP256Point(const std::string& point) {
  if (point.size() != 64) return false;
  const Number x = FromBigEndian(point, 0), y = FromBigEndian(point, 32);
  if (!IsBelow(x, kPrime) || !IsBelow(y, kPrime)) return false;
  const Number threeX = AddMod(AddMod(x, x), x);
  const Number right = AddMod(SubtractMod(MultiplyMod(MultiplyMod(x, x), x), threeX), kB);
  return MultiplyMod(y, y) == right;
}

}  // namespace updater
