#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/IniFile.h"
#include "base/ResultCode.h"
#include "base/TokenList.h"
#include "catalogue/UpdateInfo.h"
#include "catalogue/VersionNumber.h"

namespace updater {

// The value forms of the update configuration file, as plain functions over text.

// Leading spaces skipped, an optional "-" then an optional "+", then decimal digits up to the
// first non-digit; no digits give 0. Overflow wraps around, so that a result code written as an
// unsigned number reads back to the same bits.
std::int32_t ParseIniInteger(const std::wstring& text);

// Items separated by ";" with "\" as escape ("\;" and "\\"; a "\" before any other character is
// dropped, as is one at the very end); an empty last piece is dropped; items are trimmed.
std::vector<std::wstring> ParseIniList(const std::wstring& text);
std::wstring FormatIniList(const std::vector<std::wstring>& items);

// Names separated by "|", looked up case-sensitively; an unknown name ends the parse and keeps the
// bits found before it.
std::uint32_t ParseIniFlags(const std::wstring& text, const TokenName* table, std::size_t count);
// The names of the set bits, in table order, joined by "|"; bits without a name are left out.
std::wstring FormatIniFlags(std::uint32_t bits, const TokenName* table, std::size_t count);

// day/month/year, each part an integer as ParseIniInteger reads it, not range-checked. False
// with fewer than two "/"; `date` is then all zero.
bool ParseIniDate(const std::wstring& text, SYSTEMTIME* date);
// ParseIniDate, and false also for a day the calendar lacks (31/4, 29/2 outside leap years, a 13th
// month) or a year outside 1601 to 30827, the years a Windows file time holds.
bool ParseCalendarDate(const std::wstring& text, SYSTEMTIME* date);
std::wstring FormatIniDate(const SYSTEMTIME& date);

// The VersionNumber text form when it reads back to the same four fields, otherwise all four:
// the short form leaves out fields of 65535, and an OS bound of 10.0.65535.65535 must not come
// back as 10.0.
std::wstring FormatIniVersion(const VersionNumber& version);

// The Version detection key: an optional operator before the first digit ("=" is equal, anything
// else at least), then the version.
void ParseVersionCondition(const std::wstring& text, VersionOperator* op, VersionNumber* version);
std::wstring FormatVersionCondition(VersionOperator op, const VersionNumber& version);

// "application|arguments;window title;flags", the part after the first "|" being a list.
AutoCloseEntry ParseAutoCloseEntry(const std::wstring& text);
std::wstring FormatAutoCloseEntry(const AutoCloseEntry& entry);

// The start of an update configuration file: UTF-16LE when it begins with FF FE.
bool StartsWithUtf16ByteOrderMark(const std::string& head);
// Whether the first five characters, after a UTF-16 byte-order mark if any, are ";qzu;". Bytes
// this function needs: kHeadBytes.
bool HasUpdateConfigHeader(const std::string& head);
constexpr std::size_t kHeadBytes = 12;

// Typed access to one update configuration file (or selected-updates file): reads answer from
// the file as Load found it, writes go to the file.
class IniReader {
 public:
  explicit IniReader(std::wstring path);

  const IniFile& File() const { return file_; }

  // Reads and parses the whole file: 0, kInvalidHeader above kMaxIniFileBytes (before anything
  // is parsed), or the Windows error of opening or reading it.
  ResultCode Load();
  // Parses bytes read and checked elsewhere instead of the file.
  void Parse(const std::string& bytes);
  bool IsUtf16() const;
  bool HasHeaderLine() const;

  const std::vector<std::wstring>& SectionNames() const { return document_.SectionNames(); }

  std::wstring ReadText(const std::wstring& section, const std::wstring& key) const;
  std::int32_t ReadInteger(const std::wstring& section, const std::wstring& key) const;
  std::vector<std::wstring> ReadList(const std::wstring& section, const std::wstring& key) const;
  std::uint32_t ReadFlags(const std::wstring& section, const std::wstring& key,
                          const TokenName* table, std::size_t count) const;
  VersionNumber ReadVersion(const std::wstring& section, const std::wstring& key) const;
  // key, key1, key2, ... up to the first gap after the unnumbered key. With an HTML key, its value
  // at each index wins over the plain key's.
  std::vector<std::wstring> ReadNumbered(const std::wstring& section, const std::wstring& key,
                                         const std::wstring& htmlKey = std::wstring()) const;

  // Writes return 0 or the Windows error.
  ResultCode WriteText(const std::wstring& section, const std::wstring& key,
                       const std::wstring& value) const;
  ResultCode WriteInteger(const std::wstring& section, const std::wstring& key,
                          std::int64_t value) const;
  ResultCode WriteList(const std::wstring& section, const std::wstring& key,
                       const std::vector<std::wstring>& items) const;
  ResultCode WriteFlags(const std::wstring& section, const std::wstring& key, std::uint32_t bits,
                        const TokenName* table, std::size_t count) const;
  // Non-empty items under key, key1, key2, ... without gaps, so that all of them read back.
  ResultCode WriteNumbered(const std::wstring& section, const std::wstring& key,
                           const std::vector<std::wstring>& items) const;

 private:
  IniFile file_;
  IniDocument document_;
  std::string head_;
};

}  // namespace updater
