#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/ResultCode.h"

namespace updater {

class UpdaterCallback;

// What the update configuration file promises about a downloaded installer.
struct ExpectedContent {
  std::int64_t size = 0;
  std::wstring sha256;
  std::wstring md5;
};

// The one check a download gets: its SHA256 digest when one is given, else its MD5 digest when
// one is given, else its size.
enum class ContentCheck { Sha256, Md5, Size };

ContentCheck ChooseContentCheck(const ExpectedContent& expected);

// Runs the chosen check on the file: 0, kSha256Mismatch (also when the digest cannot be computed),
// kMd5Mismatch or kSizeMismatch.
ResultCode CheckContent(const std::wstring& path, const ExpectedContent& expected);

// What becomes of a download after its check.
struct ContentCheckOutcome {
  ResultCode state = kSuccess;
  // The user asked for the file to be fetched again from nothing, and then checked again.
  bool downloadAgain = false;
};

// The outcome of a failed check, given the answer of the callback's Error: a digest mismatch is
// downloaded again on ERROR_RETRY (1237) and becomes kCanceled on kCanceled; a size mismatch is
// never downloaded again, as the same server would send the same bytes.
ContentCheckOutcome AnswerContentMismatch(ResultCode mismatch, ResultCode answer);

// Checks a file right after its download. A digest check is announced with BeginAction and closed
// with EndAction (action 105 or 102) when there is a callback; a failure calls `removeFile` before
// Error(null, code, 0) is reported, so that a download started from the answer begins from nothing.
ContentCheckOutcome CheckDownloadedContent(const std::wstring& path,
                                           const ExpectedContent& expected,
                                           UpdaterCallback* callback,
                                           const std::function<void()>& removeFile);

}  // namespace updater
