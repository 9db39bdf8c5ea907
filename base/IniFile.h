#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "base/ResultCode.h"

namespace updater {

// One INI file, read and written through the Windows private-profile functions, so that ANSI files
// and UTF-16LE files with a byte-order mark both work.
class IniFile {
 public:
  explicit IniFile(std::wstring path);

  const std::wstring& Path() const { return path_; }

  // Up to `count` bytes from the start of the file, fewer when the file is shorter. Returns 0 or
  // the Windows error of opening or reading it.
  ResultCode ReadHead(std::size_t count, std::string* bytes) const;

  // The value, or empty when the key or the file is missing. Values of any length are read whole.
  std::wstring ReadString(const std::wstring& section, const std::wstring& key) const;

  // Values of numbered keys, in order: `key` itself when not empty, then key1, key2 and so on up to
  // the first empty or missing one.
  std::vector<std::wstring> ReadNumberedList(const std::wstring& section,
                                             const std::wstring& key) const;

  // Section names in file order; empty when the file is missing.
  std::vector<std::wstring> ReadSectionNames() const;

  // Creates the file (ANSI) or the section when missing. Returns 0 or the Windows error.
  ResultCode WriteString(const std::wstring& section, const std::wstring& key,
                         const std::wstring& value) const;

  // Returns 0 or the Windows error; a file that is already missing counts as deleted.
  ResultCode Delete() const;

 private:
  std::wstring path_;
};

// A value as one line: a line break inside it would start new keys or sections in the file, so
// text from a server could plant entries that a later run trusts.
std::wstring SingleLineValue(std::wstring value);

}  // namespace updater
