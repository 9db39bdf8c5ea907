#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "base/ResultCode.h"

namespace updater {

// What an HTTP answer means for the download: the result, the size of the whole file (0 when
// unknown) and the offset that the body starts at. `wholeFile`: the body does not continue the
// partial file, which is given up; the file is asked for again from its start.
struct HttpOutcome {
  ResultCode result = kSuccess;
  DWORD total = 0;
  DWORD resumeOffset = 0;
  bool wholeFile = false;
};

constexpr ResultCode kInvalidServerResponse = 12152;  // ERROR_HTTP_INVALID_SERVER_RESPONSE

// Decides from the status, Content-Length (0 when absent) and Content-Range (empty when absent) of
// the answer to a request that asked for the bytes from `resumeOffset` on.
HttpOutcome DecideHttpStatus(DWORD status, DWORD contentLength, const std::wstring& contentRange,
                             DWORD resumeOffset);

// Whether the answer is a redirect the download follows to its Location.
bool IsFollowedRedirect(DWORD status);

// The file size in the Content-Range of a 416 answer, "bytes */1500"; false when there is none.
bool ParseUnsatisfiedRangeSize(const std::wstring& contentRange, DWORD* size);

// Where the body of a 206 answer lies in the file: its first and last byte and the size of the
// whole file, 0 when the server does not know it ("bytes 500-999/*").
struct ContentRange {
  DWORD first = 0;
  DWORD last = 0;
  DWORD size = 0;
};

// The range of a Content-Range "bytes 500-999/1500"; false when `text` names none.
bool ParseContentRange(const std::wstring& text, ContentRange* range);

// Bytes `first` to `last` of a file, both included, as a Range header counts them.
struct ByteRange {
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

// "Range: bytes=first-last\r\n".
std::wstring FormatRangeHeader(const ByteRange& range);

// Decides the answer to a request for `asked` of a file of `fileSize` bytes: only a 206 whose
// Content-Range names exactly that range, of a file of that size or of unknown size, succeeds,
// with `total` the range's length. A 200 is kResumeNotSupported (the server ignores ranges),
// credentials and errors are as DecideHttpStatus has them, anything else kInvalidServerResponse.
HttpOutcome DecideRangeAnswer(DWORD status, const std::wstring& contentRange,
                              const ByteRange& asked, DWORD fileSize);

// The request's extra headers: a Range from `resumeOffset` when it is not 0, an If-Modified-Since
// when the year of `ifModifiedSince` is not 0.
std::wstring BuildRequestHeaders(DWORD resumeOffset, const SYSTEMTIME& ifModifiedSince);

// The value of the "realm" attribute of a WWW-Authenticate or Proxy-Authenticate value, quoted or
// not; empty when there is none.
std::wstring ParseRealm(const std::wstring& challenge);

// The host of a proxy setting: "http://proxy:8080" or "http=proxy:8080" -> "proxy".
std::wstring ProxyHostOf(const std::wstring& proxy);

}  // namespace updater
