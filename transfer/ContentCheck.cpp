#include "transfer/ContentCheck.h"

#include <windows.h>

#include <cwctype>
#include <vector>

#include "base/UniqueHandle.h"
#include "transfer/HexText.h"
#include "transfer/Md5File.h"
#include "transfer/Sha256File.h"
#include "transfer/UpdateEvents.h"

namespace updater {
namespace {

// 0 when the file cannot be opened, which no promised size matches but an empty file's.
std::int64_t FileSize(const std::wstring& path) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return 0;
  return size.QuadPart;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

bool Sha256Matches(const std::wstring& path, const std::wstring& expected) {
  std::vector<unsigned char> digest;
  return ComputeSHA256(path, &digest) == kSuccess && EqualIgnoringCase(ToHexText(digest), expected);
}

}  // namespace

ContentCheck ChooseContentCheck(const ExpectedContent& expected) {
  if (!expected.sha256.empty()) return ContentCheck::Sha256;
  if (!expected.md5.empty()) return ContentCheck::Md5;
  return ContentCheck::Size;
}

ResultCode CheckContent(const std::wstring& path, const ExpectedContent& expected) {
  switch (ChooseContentCheck(expected)) {
    case ContentCheck::Sha256:
      return Sha256Matches(path, expected.sha256) ? kSuccess : kSha256Mismatch;
    case ContentCheck::Md5:
      return CheckMD5(path, expected.md5) ? kSuccess : kMd5Mismatch;
    case ContentCheck::Size:
      break;
  }
  return FileSize(path) == expected.size ? kSuccess : kSizeMismatch;
}

ContentCheckOutcome AnswerContentMismatch(ResultCode mismatch, MismatchAnswer answer) {
  if (mismatch == kSizeMismatch) return {mismatch, false};
  if (answer == MismatchAnswer::DownloadAgain) return {mismatch, true};
  if (answer == MismatchAnswer::Cancel) return {kCanceled, false};
  return {mismatch, false};
}

ContentCheckOutcome CheckDownloadedContent(const std::wstring& path,
                                           const ExpectedContent& expected, UpdateEvents& events,
                                           const std::function<void()>& removeFile) {
  const ContentCheck check = ChooseContentCheck(expected);
  const bool announced = check != ContentCheck::Size;
  const UpdateAction action =
      check == ContentCheck::Sha256 ? UpdateAction::CheckSha256 : UpdateAction::CheckMd5;
  if (announced) events.ActionBegun(action, 0, std::wstring());
  ContentCheckOutcome outcome;
  const ResultCode result = CheckContent(path, expected);
  if (result != kSuccess) {
    removeFile();
    if (result == kSizeMismatch) {
      events.Failed(result, path);
      outcome = AnswerContentMismatch(result, MismatchAnswer::Keep);
    } else {
      outcome = AnswerContentMismatch(result, events.AnswerMismatch(result));
    }
  }
  if (announced) events.ActionEnded(action, outcome.state);
  return outcome;
}

}  // namespace updater
