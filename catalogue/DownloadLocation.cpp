#include "catalogue/DownloadLocation.h"

#include <windows.h>

#include <shlwapi.h>
#include <wininet.h>

#include <string_view>

#include "config/ClientConfig.h"

namespace updater {

namespace {

constexpr wchar_t kFileUrlPlaceholder[] = L"file://";

// The folder of a local or network path as a "file://" URL ending in "/".
ResultCode FileUrlOfFolder(const std::wstring& path, std::wstring* url) {
  const std::size_t slash = path.find_last_of(L"\\/");
  const std::wstring folder = path.substr(0, slash == std::wstring::npos ? 0 : slash);
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
  if (name.find_first_not_of(L". ") == std::wstring::npos) return false;
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

bool IsLocationPlaceholder(const std::vector<std::wstring>& urls) {
  if (urls.empty()) return false;
  for (const std::wstring& url : urls) {
    if (CompareStringOrdinal(url.c_str(), static_cast<int>(url.size()), kFileUrlPlaceholder, -1,
                             TRUE) != CSTR_EQUAL) {
      return false;
    }
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
