#include "catalogue/IniFile.h"

#include <windows.h>

#include <utility>

namespace updater {

IniFile::IniFile(std::wstring path) : path_(std::move(path)) {}

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

ResultCode IniFile::WriteString(const std::wstring& section, const std::wstring& key,
                                const std::wstring& value) const {
  if (!WritePrivateProfileStringW(section.c_str(), key.c_str(), value.c_str(), path_.c_str())) {
    const DWORD error = GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT;
  }
  return kSuccess;
}

}  // namespace updater
