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

ResultCode MismatchOf(ContentCheck check) {
  switch (check) {
    case ContentCheck::Sha256:
      return kSha256Mismatch;
    case ContentCheck::Md5:
      return kMd5Mismatch;
    case ContentCheck::Size:
      break;
  }
  return kSizeMismatch;
}

bool EqualIgnoringCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::towupper(a[i]) != std::towupper(b[i])) return false;
  }
  return true;
}

bool Sha256Matches(HANDLE file, const std::wstring& expected) {
  std::vector<unsigned char> digest;
  return ComputeSHA256(file, &digest) == kSuccess && EqualIgnoringCase(ToHexText(digest), expected);
}

bool SizeMatches(HANDLE file, std::int64_t expected) {
  LARGE_INTEGER size = {};
  return GetFileSizeEx(file, &size) && size.QuadPart == expected;
}

}  // namespace

ContentCheck ChooseContentCheck(const ExpectedContent& expected) {
  if (!expected.sha256.empty()) return ContentCheck::Sha256;
  if (!expected.md5.empty()) return ContentCheck::Md5;
  return ContentCheck::Size;
}

ResultCode CheckContent(const std::wstring& path, const ExpectedContent& expected) {
  const FileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  return file ? CheckContent(file.Get(), expected) : MismatchOf(ChooseContentCheck(expected));
}

ResultCode CheckContent(HANDLE file, const ExpectedContent& expected) {
  const ContentCheck check = ChooseContentCheck(expected);
  bool matches = false;
  switch (check) {
    case ContentCheck::Sha256:
      matches = Sha256Matches(file, expected.sha256);
      break;
    case ContentCheck::Md5:
      matches = CheckMD5(file, expected.md5);
      break;
    case ContentCheck::Size:
      matches = SizeMatches(file, expected.size);
      break;
  }
  return matches ? kSuccess : MismatchOf(check);
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
