#pragma once

#include <windows.h>
#include <wininet.h>

#include <string>

#include "base/ResultCode.h"

namespace updater {

enum class SourceKind { Http, Https, Ftp, File };

// One download URL split into what the WinINet calls take. Empty user name and password mean none.
struct SourceUrl {
  SourceKind kind = SourceKind::Http;
  // The server of a share for file URLs; empty for a drive path.
  std::wstring host;
  INTERNET_PORT port = 0;
  std::wstring user;
  std::wstring password;
  // Path with query for HTTP and FTP; the local or UNC path for file URLs.
  std::wstring path;
};

constexpr ResultCode kUnsupportedScheme = 12006;  // ERROR_INTERNET_UNRECOGNIZED_SCHEME
constexpr ResultCode kRedirectFailed = 12156;     // ERROR_HTTP_REDIRECT_FAILED

// Splits `url`. kUnsupportedScheme for a scheme other than http, https, ftp and file; the error of
// InternetCrackUrlW for a URL it cannot split.
ResultCode ParseSourceUrl(const std::wstring& url, SourceUrl* parts);

// The URL that a redirect from `from` to `location` (absolute or relative) leads to.
// kRedirectFailed for a URL other than HTTP and HTTPS: a server must not point a download at a
// local file.
ResultCode ResolveRedirect(const std::wstring& from, const std::wstring& location,
                           std::wstring* to);

// "file:///C:/dir/a%20b.exe" -> "C:\dir\a b.exe"; "file://server/share/f" -> "\\server\share\f".
// Empty when the URL names neither a drive path nor a share.
std::wstring FileUrlToPath(const std::wstring& url);

}  // namespace updater
