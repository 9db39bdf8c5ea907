#pragma once

#include <functional>
#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// A name that can only stand for one entry inside a folder: 1 to 255 characters (the most a
// file system takes for one name), no "\", "/", ":", "*", "?", '"', "<", ">", "|" or control
// character, no dot or blank at its end (Windows drops them, which makes "..", ". ." and "a."
// other names) and no device name (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0-COM9, LPT0-LPT9
// and COM or LPT with a superscript digit) before its first dot or trailing blanks, in any letter
// case. Section names and ServerFileName values become path components of the downloads folder,
// and a tampered file must not reach outside it or open a device.
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

// Whether a download's path, and that of its partial file (path + ".part"), stay under MAX_PATH,
// the most that the shell and the installers it starts take.
bool FitsDownloadPath(const std::wstring& path);

// ERROR_REPARSE_POINT_ENCOUNTERED, which the MinGW headers lack.
constexpr ResultCode kDownloadFolderIsLink = 4395;

// 0, or kDownloadFolderIsLink when the folder of `filePath` (a section folder) or the folder above
// it (the downloads folder) is a junction or symbolic link: whoever may write to the downloads
// folder could otherwise send this program's writes, deletes and launches anywhere. A refused
// folder is logged; folders that do not exist yet are no links.
ResultCode CheckDownloadFolders(const std::wstring& filePath);

// Logs why an update (a section or a release) is refused; returns kInvalidUpdateSection.
ResultCode InvalidUpdateSection(const std::wstring& section, const wchar_t* reason);

// Receives each refusal of InvalidUpdateSection as well, while set (the publisher's tool reports
// them); an empty function ends that. One for the process: the tool loads one file at a time.
using InvalidSectionListener =
    std::function<void(const std::wstring& section, const std::wstring& reason)>;
void SetInvalidSectionListener(InvalidSectionListener listener);

// Sets the update's LocalFilePath: downloads folder \ section name \ file name of the download.
// 0; the WinINet error of a first URL that does not parse (without ServerFileName);
// kInvalidUpdateSection when the path does not fit (logged); or kDownloadFolderIsLink.
ResultCode AssignLocalFilePath(const std::wstring& downloadsFolder, UpdateInfo* update);

// Whether the URL list is the "file://" placeholder: every value "file://" in any letter case.
bool IsLocationPlaceholder(const std::vector<std::wstring>& urls);

// The placeholder's URLs: for each location of the update configuration file, the folder of it
// followed by `serverFileName` (a "file://" URL for a local or network path). kUnresolvedFileUrl
// when a location cannot be parsed.
ResultCode PlaceholderUrls(const std::vector<std::wstring>& locations,
                           const std::wstring& serverFileName, std::vector<std::wstring>* urls);

}  // namespace updater
