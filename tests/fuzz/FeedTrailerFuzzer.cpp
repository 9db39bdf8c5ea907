// ParseFeedTrailer over the end of a downloaded update configuration file: a trailer it accepts
// lies within the file in its order, its expiry is the time written (by the C library's count
// too), and the head written from its fields, signed as the tool signs, reads back the same.
#include "FuzzSupport.h"
#include "base/CalendarTime.h"
#include "transfer/FeedTrailer.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace updater;
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  FeedTrailer trailer;
  if (ParseFeedTrailer(bytes, &trailer) != kSuccess) return 0;
  FUZZ_CHECK(0 < trailer.trailerStart && trailer.trailerStart < trailer.signedBytes &&
             trailer.signedBytes < bytes.size());
  FUZZ_CHECK(bytes.compare(trailer.signedBytes, 11, ";signature=") == 0 &&
             !trailer.signature.empty() && trailer.signature.size() <= 200);
  SYSTEMTIME expires;
  FUZZ_CHECK(SystemTimeOf(trailer.expires, &expires) &&
             fuzz::IsLibraryTime(expires, trailer.expires));
  // The expiry line as written (the serial may have leading zeros, and lines may end in LF).
  const std::string head = FeedTrailerHead(trailer.serial, expires);
  FUZZ_CHECK(bytes.compare(bytes.find('\n', trailer.trailerStart) + 1, 29, head,
                           head.find(";expires="), 29) == 0);
  const std::string body = bytes.substr(0, trailer.trailerStart);
  FUZZ_CHECK(WithoutFeedTrailer(bytes) == body);
  const std::string signature(trailer.signature.begin(), trailer.signature.end());
  FeedTrailer again;
  FUZZ_CHECK(ParseFeedTrailer(body + head + ";signature=" + signature + "\r\n", &again) == kSuccess);
  FUZZ_CHECK(again.serial == trailer.serial && again.expires == trailer.expires &&
             again.signature == trailer.signature && again.trailerStart == body.size() &&
             again.signedBytes == body.size() + head.size());
  return 0;
}
