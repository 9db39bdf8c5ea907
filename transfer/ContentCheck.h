#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

#include "base/ResultCode.h"
#include "transfer/UpdateEvents.h"

namespace updater {

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
// kMd5Mismatch or kSizeMismatch; the chosen check's mismatch too when the file cannot be opened.
// Others may read the file while it is checked, but not change it.
ResultCode CheckContent(const std::wstring& path, const ExpectedContent& expected);

// The same check on a file that the caller holds open for reading, from its start.
ResultCode CheckContent(HANDLE file, const ExpectedContent& expected);

// What becomes of a download after its check.
struct ContentCheckOutcome {
  ResultCode state = kSuccess;
  // The user asked for the file to be fetched again from nothing, and then checked again.
  bool downloadAgain = false;
};

// The outcome of a failed check, given the observer's answer: a digest mismatch is downloaded
// again or becomes kCanceled as answered; a size mismatch is never downloaded again, as the same
// server would send the same bytes.
ContentCheckOutcome AnswerContentMismatch(ResultCode mismatch, MismatchAnswer answer);

// Checks a file right after its download. A digest check is announced as its action (CheckSha256
// or CheckMd5); a failure calls `removeFile` before the observer hears of it, so that a download
// started from its answer begins from nothing.
ContentCheckOutcome CheckDownloadedContent(const std::wstring& path,
                                           const ExpectedContent& expected, UpdateEvents& events,
                                           const std::function<void()>& removeFile);

}  // namespace updater
