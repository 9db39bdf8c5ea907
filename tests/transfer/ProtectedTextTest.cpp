#include <gtest/gtest.h>

#include <windows.h>
#include <wincrypt.h>

#include "base/UniqueHandle.h"
#include "transfer/ProtectedText.h"

namespace updater {
namespace {

constexpr ResultCode kInvalidData = ERROR_INVALID_DATA;

TEST(ProtectedTextTest, RoundTripsAnyTextUpToTheLimit) {
  const std::wstring cases[] = {
      L"abc",
      L"p\x00E4ssw\x00F6rd \x20AC \x4E2D\x6587 \xD83D\xDE00",
      std::wstring(25600, L'\x0416'),  // 51200 bytes, the largest accepted
  };
  for (const std::wstring& plain : cases) {
    std::vector<unsigned char> cipher;
    ASSERT_EQ(kSuccess, ProtectText(plain, &cipher)) << plain.size();
    EXPECT_EQ(plain.size() * 2, cipher.size());
    std::vector<unsigned char> again;
    ASSERT_EQ(kSuccess, ProtectText(plain, &again));
    EXPECT_EQ(cipher, again) << "one key for every call, or remembered passwords get lost";
    std::wstring back;
    ASSERT_EQ(kSuccess, UnprotectText(cipher, &back)) << plain.size();
    EXPECT_EQ(plain, back) << "length " << plain.size();
  }
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"abc", &cipher));
  EXPECT_NE((std::vector<unsigned char>{'a', 0, 'b', 0, 'c', 0}), cipher);
}

TEST(ProtectedTextTest, RefusesEmptyAndOversizedInput) {
  std::vector<unsigned char> cipher = {1, 2};
  EXPECT_EQ(kInvalidData, ProtectText(L"", &cipher));
  EXPECT_EQ(kInvalidData, ProtectText(std::wstring(25601, L'x'), &cipher));
  EXPECT_EQ((std::vector<unsigned char>{1, 2}), cipher) << "a refused text leaves the output";

  const std::vector<unsigned char> refused[] = {
      {}, {0x41, 0x00, 0x42}, std::vector<unsigned char>(kMaxProtectedBytes + 2, 0x41)};
  for (const std::vector<unsigned char>& bytes : refused) {
    std::wstring plain = L"kept";
    EXPECT_EQ(kInvalidData, UnprotectText(bytes, &plain)) << bytes.size();
    EXPECT_EQ(L"kept", plain) << bytes.size();
  }
}

TEST(ProtectedTextTest, CreatesItsKeyContainerWhenMissing) {
  HCRYPTPROV deleted = 0;
  CryptAcquireContextW(&deleted, L"Ruddle", nullptr, PROV_RSA_FULL, CRYPT_DELETEKEYSET);
  std::vector<unsigned char> cipher;
  ASSERT_EQ(kSuccess, ProtectText(L"secret", &cipher));
  CryptProvider provider;
  EXPECT_TRUE(CryptAcquireContextW(provider.Put(), L"Ruddle", nullptr, PROV_RSA_FULL, 0))
      << "the container is kept for later runs; error " << GetLastError();
}

}  // namespace
}  // namespace updater
