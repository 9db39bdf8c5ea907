#include "transfer/BlockMap.h"

#include <windows.h>

#include <utility>

#include "transfer/HexText.h"

namespace updater {
namespace {

constexpr char kFirstLine[] = "blockmap 1";
constexpr std::size_t kSha256Digits = 64;
constexpr std::size_t kMaxNumberDigits = 10;

std::string Hex(const std::vector<unsigned char>& bytes) {
  const std::wstring hex = ToHexText(bytes);
  return std::string(hex.begin(), hex.end());
}

// The line at `*at` without its line feed; false for a line with none, as a truncated map ends.
bool NextLine(const std::string& text, std::size_t* at, std::string* line) {
  const std::size_t end = text.find('\n', *at);
  if (end == std::string::npos) return false;
  line->assign(text, *at, end - *at);
  *at = end + 1;
  return true;
}

// The fields of a line between single spaces; an empty one (two spaces, a space at either end)
// stays in, so that it fails as a number or a hash.
std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::size_t start = 0;
  for (std::size_t space; (space = line.find(' ', start)) != std::string::npos; start = space + 1) {
    fields.push_back(line.substr(start, space - start));
  }
  fields.push_back(line.substr(start));
  return fields;
}

// Decimal digits as written: no sign, no leading zero, at most ten digits.
bool ParseNumber(const std::string& text, std::uint64_t* value) {
  if (text.empty() || text.size() > kMaxNumberDigits || (text.size() > 1 && text[0] == '0')) {
    return false;
  }
  std::uint64_t parsed = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    parsed = parsed * 10 + static_cast<unsigned>(c - '0');
  }
  *value = parsed;
  return true;
}

bool ParseSha256(const std::string& text, std::vector<unsigned char>* digest) {
  return text.size() == kSha256Digits &&
         ParseHexText(std::wstring(text.begin(), text.end()), digest) == kSuccess;
}

// A head line `<name> <value>`.
bool ParseHeadLine(const std::string& text, std::size_t* at, const char* name, std::string* value) {
  std::string line;
  if (!NextLine(text, at, &line)) return false;
  const std::vector<std::string> fields = Fields(line);
  if (fields.size() != 2 || fields[0] != name) return false;
  *value = fields[1];
  return true;
}

}  // namespace

std::string FormatBlockMap(const BlockMap& map) {
  std::string text = std::string(kFirstLine) + "\nsize " + std::to_string(map.size) + "\nsha256 " +
                     Hex(map.sha256) + "\n";
  for (const MappedBlock& block : map.blocks) {
    text += std::to_string(block.offset) + " " + std::to_string(block.length) + " " +
            Hex(block.sha256) + "\n";
  }
  return text;
}

ResultCode ParseBlockMap(const std::string& text, BlockMap* map) {
  if (text.size() > kMaxBlockMapTextBytes) return ERROR_FILE_TOO_LARGE;
  std::size_t at = 0;
  std::string line;
  if (!NextLine(text, &at, &line) || line != kFirstLine) return kInvalidHeader;
  BlockMap parsed;
  std::string value;
  if (!ParseHeadLine(text, &at, "size", &value) || !ParseNumber(value, &parsed.size)) {
    return ERROR_INVALID_DATA;
  }
  if (parsed.size > kMaxBlockMapFileBytes) return ERROR_FILE_TOO_LARGE;
  if (!ParseHeadLine(text, &at, "sha256", &value) || !ParseSha256(value, &parsed.sha256)) {
    return ERROR_INVALID_DATA;
  }
  std::uint64_t end = 0;
  while (at < text.size()) {
    if (!NextLine(text, &at, &line)) return ERROR_INVALID_DATA;
    const std::vector<std::string> fields = Fields(line);
    MappedBlock block;
    std::uint64_t length = 0;
    if (fields.size() != 3 || !ParseNumber(fields[0], &block.offset) ||
        !ParseNumber(fields[1], &length) || !ParseSha256(fields[2], &block.sha256)) {
      return ERROR_INVALID_DATA;
    }
    // The blocks tile the file, each where the one before ended; only the last may be shorter
    // than the chunker cuts.
    const bool last = at == text.size();
    if (block.offset != end || length == 0 || length > kMaxBlockBytes ||
        (!last && length < kMinBlockBytes) || end + length > parsed.size) {
      return ERROR_INVALID_DATA;
    }
    block.length = static_cast<std::uint32_t>(length);
    end += length;
    parsed.blocks.push_back(std::move(block));
  }
  if (end != parsed.size) return ERROR_INVALID_DATA;
  *map = std::move(parsed);
  return kSuccess;
}

}  // namespace updater
