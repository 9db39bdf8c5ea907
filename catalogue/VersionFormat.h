#pragma once

#include <cstdint>
#include <string>

namespace updater {

// The strict version-text formats, checked before a version text from the update configuration
// file is trusted; the lenient VersionNumber parser would take almost anything.
enum class VersionFormatId {
  // Up to four groups of up to five digits, "1.2.3.4"; every field at most 65535.
  Dotted,
  // Up to two groups of up to nine digits, "20240131.7".
  Pair,
  // As Dotted, but "_" may stand between two digits of a group ("1_000.2"); the field value
  // ignores the underscores.
  Underscored,
};

struct VersionFormat {
  int maxGroups;
  int maxDotsPerSeparator;
  int maxDigitsPerGroup;
  bool underscore;
  // Largest value of each field; 0 means no limit beyond the digit count.
  std::int32_t fieldMaxima[4];
};

const VersionFormat& GetVersionFormat(VersionFormatId id);

// The regular expression the whole text must match.
std::wstring BuildVersionExpression(const VersionFormat& format);
// The characters a text of the format may hold at all.
std::wstring BuildVersionCharacters(const VersionFormat& format);

// True when the text matches the format's expression and characters and no field exceeds its
// maximum.
bool IsValidVersionText(const std::wstring& text, VersionFormatId id);

}  // namespace updater
