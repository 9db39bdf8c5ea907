#include "transfer/FtpReply.h"

#include "base/TextUtil.h"

namespace updater {

namespace {

const wchar_t* SkipLineBreaks(const wchar_t* text) {
  while (*text == L'\r' || *text == L'\n') ++text;
  return text;
}

}  // namespace

int ParseFtpReplyCode(const wchar_t* response) {
  if (response == nullptr) return 0;
  response = SkipLineBreaks(response);
  int code = 0;
  int digits = 0;
  for (; IsAsciiDigit(*response) && digits < 3; ++response, ++digits) {
    code = code * 10 + (*response - L'0');
  }
  return digits == 3 && !IsAsciiDigit(*response) ? code : 0;
}

bool ParseFtpSize(const wchar_t* response, DWORD* size) {
  if (ParseFtpReplyCode(response) != 213) return false;
  const wchar_t* number = SkipLineBreaks(response) + 3;
  while (*number == L' ') ++number;
  if (!IsAsciiDigit(*number)) return false;
  // Counted here, as the other numbers servers send: 0 to 9 only, whatever a C runtime takes.
  unsigned long long value = 0;
  for (; IsAsciiDigit(*number); ++number) {
    value = value * 10 + static_cast<unsigned>(*number - L'0');
    if (value > 0xFFFFFFFFull) return false;
  }
  *size = static_cast<DWORD>(value);
  return true;
}

bool IsRestAccepted(bool commandSucceeded, const wchar_t* response) {
  const int code = ParseFtpReplyCode(response);
  return code != 0 ? code == 350 : commandSucceeded;
}

}  // namespace updater
