#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "base/IniDocument.h"
#include "base/ResultCode.h"

namespace updater {

// Larger INI files are refused unread: the publisher's files take a few hundred KiB, and a file a
// server or a standard user writes must not decide how much memory a run takes.
constexpr std::size_t kMaxIniFileBytes = 16 << 20;

// The parse of an INI file's bytes with the system's ANSI code page.
IniDocument ParseIniFile(std::string_view bytes);

// One INI file, read whole into an IniDocument and written through WritePrivateProfileStringW,
// so that ANSI files and UTF-16LE files with a byte-order mark both work.
class IniFile {
 public:
  explicit IniFile(std::wstring path);

  const std::wstring& Path() const { return path_; }

  // The whole file. Returns 0, ERROR_FILE_TOO_LARGE above `maxBytes` (nothing read), or the
  // Windows error of opening or reading it. With `keepWritersOut` the file is opened for shared
  // reading only, so that the bytes cannot change while they are read.
  ResultCode ReadBytes(std::size_t maxBytes, std::string* bytes, bool keepWritersOut = false) const;

  // The file parsed; empty unless 0 is returned. Results as ReadBytes with kMaxIniFileBytes.
  ResultCode Read(IniDocument* document) const;

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
