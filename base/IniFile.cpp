#include "base/IniFile.h"

#include <windows.h>

#include <utility>

#include "base/ResultText.h"
#include "base/UniqueHandle.h"

namespace updater {

namespace {

std::wstring DecodeCodePage(std::string_view bytes, CodePage codePage) {
  const UINT windowsCodePage = codePage == CodePage::Utf8 ? CP_UTF8 : CP_ACP;
  const int length = static_cast<int>(bytes.size());
  const int size = MultiByteToWideChar(windowsCodePage, 0, bytes.data(), length, nullptr, 0);
  std::wstring text(static_cast<std::size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0) MultiByteToWideChar(windowsCodePage, 0, bytes.data(), length, text.data(), size);
  return text;
}

}  // namespace

IniDocument ParseIniFile(std::string_view bytes) {
  return IniDocument::Parse(bytes, DecodeCodePage);
}

IniFile::IniFile(std::wstring path) : path_(std::move(path)) {}

ResultCode IniFile::ReadBytes(std::size_t maxBytes, std::string* bytes, bool keepWritersOut) const {
  bytes->clear();
  const DWORD sharing =
      keepWritersOut ? FILE_SHARE_READ : FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
  const FileHandle file(CreateFileW(path_.c_str(), GENERIC_READ, sharing, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastErrorOr(ERROR_OPEN_FAILED);
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file.Get(), &size)) return LastErrorOr(ERROR_READ_FAULT);
  if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return ERROR_FILE_TOO_LARGE;
  // One byte more than the size found, so that a file growing meanwhile is still noticed.
  bytes->resize(static_cast<std::size_t>(size.QuadPart) + 1);
  std::size_t filled = 0;
  DWORD read = 0;
  do {
    if (!ReadFile(file.Get(), bytes->data() + filled, static_cast<DWORD>(bytes->size() - filled),
                  &read, nullptr)) {
      bytes->clear();
      return LastErrorOr(ERROR_READ_FAULT);
    }
    filled += read;
  } while (read > 0 && filled < bytes->size());
  if (filled > maxBytes) {
    bytes->clear();
    return ERROR_FILE_TOO_LARGE;
  }
  bytes->resize(filled);
  return kSuccess;
}

ResultCode IniFile::Read(IniDocument* document) const {
  *document = IniDocument();
  std::string bytes;
  if (const ResultCode result = ReadBytes(kMaxIniFileBytes, &bytes)) return result;
  *document = ParseIniFile(bytes);
  return kSuccess;
}

std::wstring SingleLineValue(std::wstring value) {
  for (wchar_t& c : value) {
    if (c == L'\r' || c == L'\n') c = L' ';
  }
  return value;
}

ResultCode IniFile::WriteString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value) const {
  const std::wstring line = SingleLineValue(value);
  if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), line.c_str(), path_.c_str())) {
    return LastErrorOr(ERROR_WRITE_FAULT);
  }
  return kSuccess;
}

ResultCode IniFile::Delete() const {
  if (DeleteFileW(path_.c_str())) return kSuccess;
  const DWORD error = GetLastError();
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? kSuccess : error;
}

}  // namespace updater
