#include "catalogue/DownloadLocation.h"

#include <windows.h>

#include <shlwapi.h>
#include <wininet.h>

#include <string_view>
#include <utility>

#include "base/AnsiText.h"
#include "base/Logger.h"
#include "base/PathKind.h"
#include "config/ClientConfig.h"

namespace updater {

namespace {

constexpr wchar_t kFileUrlPlaceholder[] = L"file://";
constexpr std::size_t kMaxFileNameLength = 255;
// Its size counts the terminating NUL, as MAX_PATH does.
constexpr wchar_t kPartialFileSuffix[] = L".part";

// Names that open a device in any folder, whatever extension follows them.
bool IsDeviceName(const std::wstring& name) {
  std::wstring stem = name.substr(0, name.find(L'.'));
  stem.erase(stem.find_last_not_of(L' ') + 1);
  for (const wchar_t* device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
    if (_wcsicmp(stem.c_str(), device) == 0) return true;
  }
  if (stem.size() != 4) return false;
  const std::wstring port = stem.substr(0, 3);
  constexpr std::wstring_view kPortDigits = L"0123456789\u00B9\u00B2\u00B3";
  return (_wcsicmp(port.c_str(), L"COM") == 0 || _wcsicmp(port.c_str(), L"LPT") == 0) &&
         kPortDigits.find(stem[3]) != std::wstring_view::npos;
}

bool IsLink(const std::wstring& folder) {
  if (PathKindOf(folder) != PathKind::Link) return false;
  Log(kLogError, L"Download folder refused, a junction or symbolic link: " + folder);
  return true;
}

std::wstring ParentFolder(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// The folder of a local or network path as a "file://" URL ending in "/".
ResultCode FileUrlOfFolder(const std::wstring& path, std::wstring* url) {
  const std::wstring folder = ParentFolder(path);
  if (folder.empty()) return kUnresolvedFileUrl;
  std::wstring buffer(INTERNET_MAX_URL_LENGTH, L'\0');
  DWORD length = static_cast<DWORD>(buffer.size());
  if (FAILED(UrlCreateFromPathW(folder.c_str(), buffer.data(), &length, 0))) {
    return kUnresolvedFileUrl;
  }
  buffer.resize(length);
  *url = buffer + L"/";
  return kSuccess;
}

}  // namespace

bool IsPlainFileName(const std::wstring& name) {
  if (name.empty() || name.size() > kMaxFileNameLength || name.back() == L'.' ||
      name.back() == L' ' || IsDeviceName(name)) {
    return false;
  }
  for (const wchar_t c : name) {
    if (c < 0x20 || std::wstring_view(L"\\/:*?\"<>|").find(c) != std::wstring_view::npos) {
      return false;
    }
  }
  return true;
}

ResultCode UrlPath(const std::wstring& url, std::wstring* path) {
  URL_COMPONENTSW parts = {};
  parts.dwStructSize = sizeof(parts);
  parts.dwSchemeLength = 1;
  parts.dwHostNameLength = 1;
  parts.dwUrlPathLength = 1;
  // Asked for separately, so that a query does not count as part of the file name.
  parts.dwExtraInfoLength = 1;
  if (!InternetCrackUrlW(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_INTERNET_INVALID_URL;
  }
  path->assign(parts.lpszUrlPath != nullptr ? parts.lpszUrlPath : L"", parts.dwUrlPathLength);
  return kSuccess;
}

std::wstring DownloadFileName(const std::wstring& serverFileName, const std::wstring& urlPath,
                              const std::wstring& sectionName) {
  if (!serverFileName.empty()) return serverFileName;
  const std::size_t slash = urlPath.rfind(L'/');
  const std::wstring last = slash == std::wstring::npos ? urlPath : urlPath.substr(slash + 1);
  return IsPlainFileName(last) ? last : sectionName;
}

std::wstring DownloadFilePath(const std::wstring& downloadsFolder, const std::wstring& sectionName,
                              const std::wstring& fileName) {
  std::wstring path = downloadsFolder;
  if (path.empty() || path.back() != L'\\') path += L'\\';
  return path + sectionName + L'\\' + fileName;
}

bool FitsDownloadPath(const std::wstring& path) {
  return path.size() + std::size(kPartialFileSuffix) <= MAX_PATH;
}

ResultCode CheckDownloadFolders(const std::wstring& filePath) {
  const std::wstring sectionFolder = ParentFolder(filePath);
  if (IsLink(sectionFolder) || IsLink(ParentFolder(sectionFolder))) return kDownloadFolderIsLink;
  return kSuccess;
}

namespace {

InvalidSectionListener& Listener() {
  static InvalidSectionListener listener;
  return listener;
}

}  // namespace

void SetInvalidSectionListener(InvalidSectionListener listener) {
  Listener() = std::move(listener);
}

ResultCode InvalidUpdateSection(const std::wstring& section, const wchar_t* reason) {
  Log(kLogError, L"Invalid update section [" + section + L"]: " + reason);
  if (Listener()) Listener()(section, reason);
  return kInvalidUpdateSection;
}

ResultCode AssignLocalFilePath(const std::wstring& downloadsFolder, UpdateInfo* update) {
  const std::wstring& section = update->sectionName;
  std::wstring urlPath;
  if (update->serverFileName.empty() && !update->urls.empty()) {
    if (const ResultCode result = UrlPath(update->urls.front(), &urlPath)) return result;
  }
  update->localFilePath = DownloadFilePath(
      downloadsFolder, section, DownloadFileName(update->serverFileName, urlPath, section));
  if (!FitsDownloadPath(update->localFilePath)) {
    return InvalidUpdateSection(section, L"download path is too long");
  }
  return CheckDownloadFolders(update->localFilePath);
}

bool IsLocationPlaceholder(const std::vector<std::wstring>& urls) {
  if (urls.empty()) return false;
  for (const std::wstring& url : urls) {
    if (!EqualsIgnoringCase(url, kFileUrlPlaceholder)) return false;
  }
  return true;
}

ResultCode PlaceholderUrls(const std::vector<std::wstring>& locations,
                           const std::wstring& serverFileName, std::vector<std::wstring>* urls) {
  urls->clear();
  for (const std::wstring& location : locations) {
    std::wstring folder;
    if (IsAbsoluteWindowsPath(location)) {
      if (FileUrlOfFolder(location, &folder) != kSuccess) return kUnresolvedFileUrl;
    } else {
      std::wstring path;
      const std::size_t slash = location.rfind(L'/');
      if (UrlPath(location, &path) != kSuccess || slash == std::wstring::npos) {
        return kUnresolvedFileUrl;
      }
      folder = location.substr(0, slash + 1);
    }
    urls->push_back(folder + serverFileName);
  }
  return kSuccess;
}

}  // namespace updater
