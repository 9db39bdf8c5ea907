#include "transfer/SourceUrl.h"

#include <cwctype>
#include <vector>

#include "base/TextUtil.h"

namespace updater {

namespace {

int HexValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// Percent escapes are UTF-8 bytes; other characters pass as they are.
std::wstring DecodePercents(const std::wstring& text) {
  std::wstring result;
  std::string bytes;
  auto flush = [&]() {
    if (bytes.empty()) return;
    const int length = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()),
                                           nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], length);
    result += wide;
    bytes.clear();
  };
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 &&
        HexValue(text[i + 2]) >= 0) {
      bytes.push_back(static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2])));
      i += 2;
      continue;
    }
    flush();
    result.push_back(text[i]);
  }
  flush();
  return result;
}

}  // namespace

std::wstring FileUrlToPath(const std::wstring& url) {
  if (!StartsWithNoCase(url, L"file:")) return std::wstring();
  std::wstring rest = DecodePercents(url.substr(5));
  for (wchar_t& c : rest) {
    if (c == L'/') c = L'\\';
  }
  // Drive paths come as file:///C:/..., file://C:/... or file:C:/...
  size_t start = rest.find_first_not_of(L'\\');
  if (start == std::wstring::npos) return std::wstring();
  if (start + 1 < rest.size() && iswalpha(rest[start]) && rest[start + 1] == L':') {
    return rest.substr(start);
  }
  // Shares come as file://server/share/... or file:////server/share/...
  if (start == 2 || start == 4) {
    const std::wstring share = L"\\\\" + rest.substr(start);
    const size_t serverEnd = share.find(L'\\', 2);
    if (serverEnd != std::wstring::npos && serverEnd + 1 < share.size()) return share;
  }
  return std::wstring();
}

ResultCode ParseSourceUrl(const std::wstring& url, SourceUrl* parts) {
  if (StartsWithNoCase(url, L"file:")) {
    parts->kind = SourceKind::File;
    parts->path = FileUrlToPath(url);
    // A share's server is the host that its credentials go to.
    parts->host = parts->path.compare(0, 2, L"\\\\") == 0
                      ? parts->path.substr(2, parts->path.find(L'\\', 2) - 2)
                      : std::wstring();
    return parts->path.empty() ? ERROR_INTERNET_INVALID_URL : kSuccess;
  }
  const size_t length = url.size() + 1;
  std::vector<wchar_t> scheme(length), host(length), user(length), password(length), path(length),
      extra(length);
  URL_COMPONENTSW components = {};
  components.dwStructSize = sizeof(components);
  components.lpszScheme = scheme.data();
  components.dwSchemeLength = static_cast<DWORD>(length);
  components.lpszHostName = host.data();
  components.dwHostNameLength = static_cast<DWORD>(length);
  components.lpszUserName = user.data();
  components.dwUserNameLength = static_cast<DWORD>(length);
  components.lpszPassword = password.data();
  components.dwPasswordLength = static_cast<DWORD>(length);
  components.lpszUrlPath = path.data();
  components.dwUrlPathLength = static_cast<DWORD>(length);
  components.lpszExtraInfo = extra.data();
  components.dwExtraInfoLength = static_cast<DWORD>(length);
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &components)) {
    return GetLastError();
  }
  switch (components.nScheme) {
    case INTERNET_SCHEME_HTTP: parts->kind = SourceKind::Http; break;
    case INTERNET_SCHEME_HTTPS: parts->kind = SourceKind::Https; break;
    case INTERNET_SCHEME_FTP: parts->kind = SourceKind::Ftp; break;
    default: return kUnsupportedScheme;
  }
  parts->host = host.data();
  parts->port = components.nPort;
  parts->user = user.data();
  parts->password = password.data();
  parts->path = std::wstring(path.data()) + extra.data();
  if (parts->path.empty()) parts->path = L"/";
  return kSuccess;
}

ResultCode ResolveRedirect(const std::wstring& from, const std::wstring& location,
                           std::wstring* to) {
  // The Location is sent encoded already; encoding it again would change the path.
  std::vector<wchar_t> combined(from.size() + location.size() + 1);
  DWORD size = static_cast<DWORD>(combined.size());
  if (!InternetCombineUrlW(from.c_str(), location.c_str(), combined.data(), &size, ICU_NO_ENCODE)) {
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return kRedirectFailed;
    combined.resize(size + 1);
    size = static_cast<DWORD>(combined.size());
    if (!InternetCombineUrlW(from.c_str(), location.c_str(), combined.data(), &size,
                             ICU_NO_ENCODE)) {
      return kRedirectFailed;
    }
  }
  SourceUrl parts;
  if (ParseSourceUrl(combined.data(), &parts) != kSuccess ||
      (parts.kind != SourceKind::Http && parts.kind != SourceKind::Https)) {
    return kRedirectFailed;
  }
  *to = combined.data();
  return kSuccess;
}

}  // namespace updater
