#include <gtest/gtest.h>

#include "transfer/FeedKey.h"
#include "transfer/FeedTrailer.h"
#include "transfer/HexText.h"

namespace updater {
namespace {

constexpr char kBody[] = ";qzu;\r\n[General]\r\nConfigFileVersion=1.0\r\n";
constexpr char kHead[] = ";serial=7\r\n;expires=2030-01-02T03:04:05Z\r\n";

TEST(FeedSignatureTest, TheTrailerIsTheLastThreeLinesInTheirOrder) {
  const std::string signature = ";signature=QUJD\r\n";
  const std::string body = kBody, head = kHead;
  const struct { const char* what; std::string bytes; bool valid; } cases[] = {
      {"as the tool writes it", body + head + signature, true},
      {"without a final line break", body + head + ";signature=QUJD", true},
      {"unsigned", body, false},
      {"no signature line", body + head, false},
      {"a line after the signature", body + head + signature + "[Late]\r\n", false},
      {"a blank line after the signature", body + head + signature + "\r\n", false},
      {"the signature moved up", body + ";signature=QUJD\r\n" + head, false},
      {"no expiry", body + ";serial=7\r\n" + signature, false},
      {"a serial with a sign", body + ";serial=-7\r\n;expires=2030-01-02T03:04:05Z\r\n" + signature, false},
      {"a serial past 32 bits", body + ";serial=4294967296\r\n;expires=2030-01-02T03:04:05Z\r\n" + signature, false},
      {"an expiry without its zone", body + ";serial=7\r\n;expires=2030-01-02T03:04:05\r\n" + signature, false},
      {"an impossible date", body + ";serial=7\r\n;expires=2030-02-30T03:04:05Z\r\n" + signature, false},
      {"an empty signature", body + head + ";signature=\r\n", false},
      {"the trailer alone", head + signature, false},
      {"UTF-16", std::string("\xFF\xFE", 2) + body + head + signature, false},
  };
  for (const auto& c : cases) {
    FeedTrailer trailer;
    EXPECT_EQ(c.valid ? kSuccess : kFeedSignatureInvalid, ParseFeedTrailer(c.bytes, &trailer))
        << c.what;
    if (!c.valid) continue;
    EXPECT_EQ(7u, trailer.serial) << c.what;
    EXPECT_EQ(body.size(), trailer.trailerStart) << c.what;
    EXPECT_EQ(body.size() + head.size(), trailer.signedBytes) << c.what;
    EXPECT_EQ(L"QUJD", trailer.signature) << c.what;
    EXPECT_EQ(body, WithoutFeedTrailer(c.bytes)) << c.what;
  }
  // The signature is bounded, as a hostile file's last line may be as long as the file.
  for (const std::size_t length : {200u, 201u}) {
    FeedTrailer bounded;
    EXPECT_EQ(length == 200 ? kSuccess : kFeedSignatureInvalid,
              ParseFeedTrailer(body + head + ";signature=" + std::string(length, 'A'), &bounded))
        << length;
  }
  SYSTEMTIME expires = {2030, 1, 3, 2, 3, 4, 5, 0};
  EXPECT_EQ(head, FeedTrailerHead(7, expires));
}

TEST(FeedSignatureTest, ExpiredAndRolledBackFilesAreRefused) {
  FeedTrailer trailer;
  trailer.serial = 10;
  trailer.expires = 1000;
  const struct { ULONGLONG now; bool hasAccepted; DWORD accepted; ResultCode result; } cases[] = {
      {999, false, 0, kSuccess},       {999, true, 10, kSuccess},      {999, true, 9, kSuccess},
      {999, true, 11, kFeedRolledBack}, {1000, false, 0, kFeedExpired}, {5000, true, 1, kFeedExpired},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.result, CheckFeedFreshness(trailer, c.now, c.hasAccepted, c.accepted))
        << c.now << " " << c.accepted;
  }
}

TEST(FeedSignatureTest, OnlyTheKeysOwnSignatureOfTheSameBytesVerifies) {
  std::wstring privateKey, publicKey, otherPrivate, otherPublic, signature;
  ASSERT_EQ(kSuccess, GenerateFeedKey(&privateKey, &publicKey));
  ASSERT_EQ(kSuccess, GenerateFeedKey(&otherPrivate, &otherPublic));
  const std::string bytes = std::string(kBody) + kHead;
  ASSERT_EQ(kSuccess, SignFeedBytes(privateKey, bytes, &signature));
  EXPECT_EQ(kSuccess, VerifyFeedBytes(publicKey, bytes, signature));
  std::string altered = bytes;
  altered[10] ^= 1;
  EXPECT_EQ(kFeedSignatureInvalid, VerifyFeedBytes(publicKey, altered, signature));
  EXPECT_EQ(kFeedSignatureInvalid, VerifyFeedBytes(otherPublic, bytes, signature));
  EXPECT_EQ(kFeedSignatureInvalid, VerifyFeedBytes(publicKey.substr(4), bytes, signature));
  EXPECT_EQ(kFeedSignatureInvalid, VerifyFeedBytes(publicKey, bytes, L"not*base64"));
  EXPECT_EQ(kFeedSignatureInvalid, SignFeedBytes(publicKey, bytes, &signature)) << "a public key";
}

// The curve's generator, and the field's prime as a coordinate.
constexpr wchar_t kGeneratorX[] = L"6B17D1F2E12C4247F8BCE6E563A440F277037D812DEB33A0F4A13945D898C296";
constexpr wchar_t kGeneratorY[] = L"4FE342E2FE1A7F9B8EE7EB4A7C0F9E162BCE33576B315ECECBB6406837BF51F5";
constexpr wchar_t kPrime[] = L"FFFFFFFF00000001000000000000000000000000FFFFFFFFFFFFFFFFFFFFFFFF";

// Base64 of the bytes that `hex` spells.
std::wstring KeyText(const std::wstring& hex) {
  std::vector<unsigned char> bytes;
  EXPECT_EQ(kSuccess, ParseHexText(hex, &bytes)) << hex.size();
  return Base64Encode(std::string(bytes.begin(), bytes.end()));
}

TEST(FeedSignatureTest, APublicKeyMustBeAPointOfTheCurve) {
  const std::wstring x = kGeneratorX, y = kGeneratorY;
  const std::wstring nextY = y.substr(0, 63) + L"6";  // y + 1
  const std::pair<std::wstring, bool> cases[] = {
      {KeyText(x + y), true},
      {KeyText(x + nextY), false},
      {KeyText(y + x), false},
      {KeyText(kPrime + y), false},
      {KeyText(std::wstring(128, L'0')), false},
      {KeyText(x + y.substr(0, 62)), false},  // 63 bytes
      {KeyText(x + y + L"00"), false},
      {L"not*base64", false},
  };
  for (const auto& [key, valid] : cases) {
    EXPECT_EQ(valid ? kSuccess : kFeedSignatureInvalid, CheckFeedPublicKey(key)) << key.c_str();
  }
  // CNG makes points the arithmetic must accept.
  for (int i = 0; i < 3; ++i) {
    std::wstring privateKey, publicKey;
    ASSERT_EQ(kSuccess, GenerateFeedKey(&privateKey, &publicKey));
    EXPECT_EQ(kSuccess, CheckFeedPublicKey(publicKey));
  }
}

}  // namespace
}  // namespace updater
