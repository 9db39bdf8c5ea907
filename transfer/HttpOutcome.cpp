#include "transfer/HttpOutcome.h"

#include <cwchar>
#include <cwctype>

#include "base/TextUtil.h"
#include "transfer/HttpDate.h"

namespace updater {

namespace {

// The decimal number that is all of text[begin, end); false for none or one beyond a DWORD.
bool ParseDword(const std::wstring& text, size_t begin, size_t end, DWORD* value) {
  if (begin >= end || end > text.size()) return false;
  unsigned long long number = 0;
  for (size_t i = begin; i < end; ++i) {
    if (!IsAsciiDigit(text[i])) return false;
    number = number * 10 + static_cast<unsigned>(text[i] - L'0');
    if (number > 0xFFFFFFFFull) return false;
  }
  *value = static_cast<DWORD>(number);
  return true;
}

// A 206 answer continues the partial file only where its Content-Range says it starts at the
// partial file's end. A chunked answer has no Content-Length, so the range is also what tells
// the size.
HttpOutcome DecidePartialContent(DWORD contentLength, const std::wstring& contentRange,
                                 DWORD resumeOffset) {
  HttpOutcome outcome;
  ContentRange range;
  const bool positioned = ParseContentRange(contentRange, &range);
  if (positioned ? range.first == resumeOffset : resumeOffset == 0) {
    outcome.resumeOffset = resumeOffset;
    if (positioned && range.size != 0) {
      outcome.total = range.size;
    } else if (contentLength != 0) {
      outcome.total = resumeOffset + contentLength;
    }
  } else if (resumeOffset != 0) {
    outcome.wholeFile = true;
  } else {
    // Asked for the whole file, given a piece of it elsewhere: there is nothing to ask again.
    outcome.result = kInvalidServerResponse;
  }
  return outcome;
}

std::wstring RangeHeader(std::uint64_t first, const std::wstring& last) {
  return L"Range: bytes=" + std::to_wstring(first) + L"-" + last + L"\r\n";
}

}  // namespace

HttpOutcome DecideHttpStatus(DWORD status, DWORD contentLength, const std::wstring& contentRange,
                             DWORD resumeOffset) {
  HttpOutcome outcome;
  DWORD fileSize = 0;
  switch (status) {
    case 200:
      // A full answer to a Range request: the server ignores ranges, so the file starts over.
      if (contentLength != 0 && contentLength <= resumeOffset) {
        outcome.result = kNothingBeyondLocal;
        outcome.resumeOffset = resumeOffset;
      }
      outcome.total = contentLength;
      return outcome;
    case 206: return DecidePartialContent(contentLength, contentRange, resumeOffset);
    case 304: outcome.result = kNotModified; return outcome;
    case 401:
    case 407: outcome.result = kCredentialsNeeded; return outcome;
    case 403: outcome.result = kForbidden; return outcome;
    case 404:
    case 410: outcome.result = kResourceNotFound; return outcome;
    // Asked beyond the end of the file: the partial file already holds all the server has. When
    // that is the whole file, finishing it needs no byte more.
    case 416:
      outcome.resumeOffset = resumeOffset;
      if (ParseUnsatisfiedRangeSize(contentRange, &fileSize) && fileSize == resumeOffset) {
        outcome.total = resumeOffset;
      } else {
        outcome.result = kNothingBeyondLocal;
      }
      return outcome;
    default:
      // Any other answer carries an error page or a redirect that is not followed, never the
      // file; saving it would hand a wrong file to the checks and the installer.
      if (status < 200 || status >= 300) outcome.result = kInvalidServerResponse;
      outcome.total = contentLength;
      return outcome;
  }
}

bool IsFollowedRedirect(DWORD status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

bool ParseUnsatisfiedRangeSize(const std::wstring& contentRange, DWORD* size) {
  const size_t star = contentRange.find(L"*/");
  return star != std::wstring::npos &&
         ParseDword(contentRange, star + 2, contentRange.size(), size);
}

bool ParseContentRange(const std::wstring& text, ContentRange* range) {
  constexpr wchar_t kUnit[] = L"bytes ";
  if (text.compare(0, wcslen(kUnit), kUnit) != 0) return false;
  const size_t dash = text.find(L'-');
  const size_t slash = text.find(L'/');
  if (dash == std::wstring::npos || slash == std::wstring::npos || slash < dash) return false;
  ContentRange parsed;
  const bool sizeKnown = text.compare(slash + 1, std::wstring::npos, L"*") != 0;
  if (!ParseDword(text, wcslen(kUnit), dash, &parsed.first) ||
      !ParseDword(text, dash + 1, slash, &parsed.last) ||
      (sizeKnown && !ParseDword(text, slash + 1, text.size(), &parsed.size))) {
    return false;
  }
  if (parsed.last < parsed.first || (sizeKnown && parsed.last >= parsed.size)) return false;
  *range = parsed;
  return true;
}

std::wstring FormatRangeHeader(const ByteRange& range) {
  return RangeHeader(range.first, std::to_wstring(range.last));
}

HttpOutcome DecideRangeAnswer(DWORD status, const std::wstring& contentRange,
                              const ByteRange& asked, DWORD fileSize) {
  HttpOutcome outcome;
  ContentRange range;
  if (status == 200) {
    outcome.result = kResumeNotSupported;
  } else if (status != 206) {
    outcome.result = DecideHttpStatus(status, 0, std::wstring(), 0).result;
    if (outcome.result == kSuccess) outcome.result = kInvalidServerResponse;
  } else if (!ParseContentRange(contentRange, &range) || range.first != asked.first ||
             range.last != asked.last || (range.size != 0 && range.size != fileSize)) {
    outcome.result = kInvalidServerResponse;
  } else {
    outcome.total = range.last - range.first + 1;
  }
  return outcome;
}

std::wstring BuildRequestHeaders(DWORD resumeOffset, const SYSTEMTIME& ifModifiedSince) {
  std::wstring headers;
  // No last byte: to the end of the file.
  if (resumeOffset != 0) headers += RangeHeader(resumeOffset, std::wstring());
  if (ifModifiedSince.wYear != 0) {
    headers += L"If-Modified-Since: " + FormatHttpDate(ifModifiedSince) + L"\r\n";
  }
  return headers;
}

std::wstring ParseRealm(const std::wstring& challenge) {
  std::wstring lower = challenge;
  for (wchar_t& c : lower) c = static_cast<wchar_t>(towlower(c));
  size_t at = 0;
  while ((at = lower.find(L"realm", at)) != std::wstring::npos) {
    const bool startsName = at == 0 || lower[at - 1] == L' ' || lower[at - 1] == L',';
    size_t next = at + 5;
    while (next < lower.size() && lower[next] == L' ') ++next;
    if (!startsName || next >= lower.size() || lower[next] != L'=') {
      at += 5;
      continue;
    }
    ++next;
    while (next < challenge.size() && challenge[next] == L' ') ++next;
    if (next < challenge.size() && challenge[next] == L'"') {
      const size_t end = challenge.find(L'"', next + 1);
      return challenge.substr(next + 1, end == std::wstring::npos ? std::wstring::npos
                                                                    : end - next - 1);
    }
    const size_t end = challenge.find_first_of(L", ", next);
    return challenge.substr(next, end == std::wstring::npos ? std::wstring::npos : end - next);
  }
  return std::wstring();
}

std::wstring ProxyHostOf(const std::wstring& proxy) {
  std::wstring host = proxy;
  const size_t scheme = host.find(L"://");
  if (scheme != std::wstring::npos) {
    host = host.substr(scheme + 3);
  } else {
    const size_t equals = host.find(L'=');
    if (equals != std::wstring::npos) host = host.substr(equals + 1);
  }
  return host.substr(0, host.find_first_of(L":/ ;"));
}

}  // namespace updater
