#pragma once

#include <string>
#include <vector>

namespace updater {

// Edits and cuts of an update configuration file's bytes that keep its layout, in 8-bit text or
// in UTF-16 after its byte-order mark. Lines are as the updater's parse sees them: they end at CR,
// LF or CR LF, and a section line is "[" after blanks with a "]" later on the line.

// The file cut before each section line: the part before the first section (the header line),
// then one part a section.
std::vector<std::string> SplitAtSectionLines(const std::string& bytes);

// `bytes` with `key` of the first section named `section` (names compared as the updater compares
// them) set to `value`, every other byte as it was. The first line of that key gets the new value
// after its "=" and the blanks that follow it; without one, a line "key=value" follows the
// section's last key line (a line neither blank nor a ";" comment; the section line when it has
// none), ending as that line ends (a last line without an end gets the file's first). Unchanged
// when no section has that name. `key` and `value` are ASCII.
std::string WithIniValue(const std::string& bytes, const std::wstring& section,
                         const std::wstring& key, const std::wstring& value);

}  // namespace updater
