// DecodeUserDetails and ParseUserDetailsValue (the remembered credentials); a list they read
// encodes and reads back the same (the encoding of equal lists being equal).
#include "FuzzSupport.h"
#include "transfer/UserDetailsValue.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  std::vector<ProtectedCredential> list, again;
  if (DecodeUserDetails(std::vector<unsigned char>(data, data + size), &list) == kSuccess) {
    const std::vector<unsigned char> encoded = EncodeUserDetails(list);
    FUZZ_CHECK(DecodeUserDetails(encoded, &again) == kSuccess);
    FUZZ_CHECK(EncodeUserDetails(again) == encoded);
    FUZZ_CHECK(ParseUserDetailsValue(FormatUserDetailsValue(list), &again) == kSuccess &&
               EncodeUserDetails(again) == encoded);
  }
  ParseUserDetailsValue(fuzz::Utf16Units(data, size), &list);
  return 0;
}
