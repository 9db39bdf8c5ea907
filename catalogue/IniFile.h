#pragma once

#include <string>
#include <vector>

#include "app/ResultCode.h"

namespace updater {

// One INI file, read and written through the Windows private-profile functions, so that ANSI files
// and UTF-16LE files with a byte-order mark both work.
class IniFile {
 public:
  explicit IniFile(std::wstring path);

  const std::wstring& Path() const { return path_; }

  // The value, or empty when the key or the file is missing. Values of any length are read whole.
  std::wstring ReadString(const std::wstring& section, const std::wstring& key) const;

  // Values of numbered keys, in order: `key` itself when not empty, then key1, key2 and so on up to
  // the first empty or missing one.
  std::vector<std::wstring> ReadNumberedList(const std::wstring& section,
                                             const std::wstring& key) const;

  // Creates the file (ANSI) or the section when missing. Returns 0 or the Windows error.
  ResultCode WriteString(const std::wstring& section, const std::wstring& key,
                         const std::wstring& value) const;

 private:
  std::wstring path_;
};

}  // namespace updater
