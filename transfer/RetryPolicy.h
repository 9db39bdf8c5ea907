#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/ResultCode.h"

namespace updater {

// Whether OpenUrl goes on to the next URL after `result`, given how many URLs there are.
bool ShouldTryNextUrl(ResultCode result, std::size_t urlCount);

// Read failures that mean the connection went away, so that reconnecting may finish the file.
bool IsDroppedStream(ResultCode result);

// Certificate problems that the user interface may accept for the request.
bool IsCertificateError(ResultCode result);

// The security flag that lets a request past the certificate error `result`; 0 for none.
DWORD CertificateIgnoreFlag(ResultCode result);

// How many attempts in a row may add no byte to a partial file before a transfer gives up: a
// server that keeps dropping the stream at the same place, or keeps ending it short, would
// otherwise be asked again for ever.
constexpr int kMaxFruitlessAttempts = 3;
// An attempt that adds less than one read buffer counts as adding nothing, so that a server
// trickling a byte per reconnect cannot hold a transfer for ever.
constexpr std::uint64_t kMinBytesPerAttempt = 51200;

// Counts the attempts of one transfer that did not make the partial file larger than it ever was.
class FruitlessAttempts {
 public:
  explicit FruitlessAttempts(int limit = kMaxFruitlessAttempts,
                             std::uint64_t minGain = kMinBytesPerAttempt)
      : limit_(limit), minGain_(minGain) {}
  // Records an attempt that ended with `size` bytes on disk; false once `limit` attempts in a row
  // added nothing.
  bool MayTryAgain(std::uint64_t size) {
    if (size >= largest_ + minGain_) {
      fruitless_ = 0;
    } else {
      ++fruitless_;
    }
    largest_ = std::max(largest_, size);
    return fruitless_ < limit_;
  }
  // The start of the transfer; the size on disk then is no progress of its own.
  void Start(std::uint64_t size) {
    largest_ = size;
    fruitless_ = 0;
  }

 private:
  int limit_;
  std::uint64_t minGain_;
  int fruitless_ = 0;
  std::uint64_t largest_ = 0;
};

}  // namespace updater
