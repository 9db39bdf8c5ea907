#include "base/IniFile.h"

#include <windows.h>

#include <utility>

#include "base/UniqueHandle.h"

namespace updater {

namespace {

ResultCode LastErrorOr(DWORD fallback) {
  const DWORD error = GetLastError();
  return error != ERROR_SUCCESS ? error : fallback;
}

}  // namespace

IniFile::IniFile(std::wstring path) : path_(std::move(path)) {}

ResultCode IniFile::ReadHead(std::size_t count, std::string* bytes) const {
  bytes->clear();
  const FileHandle file(CreateFileW(path_.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return LastErrorOr(ERROR_OPEN_FAILED);
  bytes->resize(count);
  DWORD read = 0;
  if (!ReadFile(file.Get(), bytes->data(), static_cast<DWORD>(count), &read, nullptr)) {
    bytes->clear();
    return LastErrorOr(ERROR_READ_FAULT);
  }
  bytes->resize(read);
  return kSuccess;
}

std::wstring IniFile::ReadString(const std::wstring& section, const std::wstring& key) const {
  std::wstring buffer(256, L'\0');
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    const DWORD length = GetPrivateProfileStringW(section.c_str(), key.c_str(), L"",
                                                  buffer.data(), size, path_.c_str());
    // A value that fills the buffer up to its terminator may have been cut off.
    if (length < size - 1) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

std::vector<std::wstring> IniFile::ReadNumberedList(const std::wstring& section,
                                                    const std::wstring& key) const {
  std::vector<std::wstring> values;
  // The unnumbered key may be empty while the numbered ones still count.
  std::wstring value = ReadString(section, key);
  if (!value.empty()) values.push_back(std::move(value));
  for (unsigned number = 1;; ++number) {
    value = ReadString(section, key + std::to_wstring(number));
    if (value.empty()) return values;
    values.push_back(std::move(value));
  }
}

std::vector<std::wstring> IniFile::ReadSectionNames() const {
  std::wstring buffer(256, L'\0');
  DWORD length = 0;
  for (;;) {
    const DWORD size = static_cast<DWORD>(buffer.size());
    length = GetPrivateProfileSectionNamesW(buffer.data(), size, path_.c_str());
    // The function signals a cut-off list by returning the buffer size minus 2.
    if (length != size - 2) break;
    buffer.resize(buffer.size() * 2);
  }
  std::vector<std::wstring> names;
  for (std::size_t begin = 0; begin < length;) {
    const std::size_t end = buffer.find(L'\0', begin);
    if (end == begin || end == std::wstring::npos || end > length) break;
    names.push_back(buffer.substr(begin, end - begin));
    begin = end + 1;
  }
  return names;
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
