#pragma once

#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// A name that can only stand for one entry inside a folder: not empty, no "\", "/", ":", "*",
// "?", '"', "<", ">", "|" or control character, and not only dots and blanks (".", ".." and
// what Windows trims down to them). Section names and ServerFileName values become path components
// of the downloads folder, and a tampered file must not reach outside it.
bool IsPlainFileName(const std::wstring& name);

// The path part of a URL, without query: 0 or the WinINet error of parsing it.
ResultCode UrlPath(const std::wstring& url, std::wstring* path);

// The file name of a download: `serverFileName` when not empty; otherwise the part of the first
// URL's path after its last "/", or the section name when that part could not name a file.
std::wstring DownloadFileName(const std::wstring& serverFileName, const std::wstring& urlPath,
                              const std::wstring& sectionName);

// downloads folder \ section name \ file name.
std::wstring DownloadFilePath(const std::wstring& downloadsFolder, const std::wstring& sectionName,
                              const std::wstring& fileName);

// Whether the URL list is the "file://" placeholder: every value "file://" in any letter case.
bool IsLocationPlaceholder(const std::vector<std::wstring>& urls);

// The placeholder's URLs: for each location of the update configuration file, the folder of it
// followed by `serverFileName` (a "file://" URL for a local or network path). kUnresolvedFileUrl
// when a location cannot be parsed.
ResultCode PlaceholderUrls(const std::vector<std::wstring>& locations,
                           const std::wstring& serverFileName, std::vector<std::wstring>* urls);

}  // namespace updater
