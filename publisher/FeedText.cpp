#include "publisher/FeedText.h"

#include "base/IniDocument.h"
#include "base/IniFile.h"

namespace updater {
namespace {

// The file's characters by byte offset: one byte each, or two after a UTF-16 byte-order mark.
class FeedUnits {
 public:
  explicit FeedUnits(const std::string& bytes) : bytes_(bytes) {
    const auto startsWith = [&](const char* mark) { return bytes.rfind(mark, 0) == 0; };
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
      width_ = 2;
      bigEndian_ = bytes[0] == '\xFE';
      begin_ = 2;
    } else if (startsWith("\xEF\xBB\xBF")) {
      begin_ = 3;
    }
    end_ = bytes.size() - (bytes.size() - begin_) % width_;
  }

  std::size_t Width() const { return width_; }
  std::size_t Begin() const { return begin_; }
  std::size_t End() const { return end_; }
  wchar_t At(std::size_t at) const {
    const auto first = static_cast<unsigned char>(bytes_[at]);
    if (width_ == 1) return static_cast<wchar_t>(first);
    const auto second = static_cast<unsigned char>(bytes_[at + 1]);
    return static_cast<wchar_t>(bigEndian_ ? first << 8 | second : second << 8 | first);
  }
  // ASCII text in the file's encoding.
  std::string Encode(const std::wstring& text) const {
    std::string encoded;
    for (const wchar_t c : text) {
      const char low = static_cast<char>(c);
      if (width_ == 1) {
        encoded += low;
      } else {
        encoded += bigEndian_ ? std::string{'\0', low} : std::string{low, '\0'};
      }
    }
    return encoded;
  }
  // The section name of a line alone, decoded as the updater decodes the whole file.
  std::wstring SectionName(std::size_t begin, std::size_t end) const {
    const IniDocument line =
        ParseIniFile(bytes_.substr(0, begin_) + bytes_.substr(begin, end - begin));
    return line.SectionNames().empty() ? std::wstring() : line.SectionNames().front();
  }

 private:
  const std::string& bytes_;
  std::size_t width_ = 1;
  bool bigEndian_ = false;
  std::size_t begin_ = 0;
  std::size_t end_ = 0;
};

// Byte offsets: the line's characters are [begin, end), its end of line [end, next).
struct Line {
  std::size_t begin;
  std::size_t end;
  std::size_t next;
};

bool IsBlank(wchar_t c) { return (c >= L'\t' && c <= L'\r') || c == L'\x1A' || c == L' '; }

std::vector<Line> SplitLines(const FeedUnits& units) {
  std::vector<Line> lines;
  const std::size_t width = units.Width();
  for (std::size_t begin = units.Begin(); begin < units.End();) {
    Line line = {begin, begin, 0};
    while (line.end < units.End() && units.At(line.end) != L'\r' && units.At(line.end) != L'\n') {
      line.end += width;
    }
    line.next = line.end;
    if (line.next < units.End() && units.At(line.next) == L'\r') line.next += width;
    if (line.next < units.End() && units.At(line.next) == L'\n') line.next += width;
    lines.push_back(line);
    begin = line.next;
  }
  return lines;
}

// The offset of the line's first character that is not blank; `line.end` when there is none.
std::size_t FirstNonBlank(const FeedUnits& units, const Line& line) {
  std::size_t at = line.begin;
  while (at < line.end && IsBlank(units.At(at))) at += units.Width();
  return at;
}

bool IsSectionLine(const FeedUnits& units, const Line& line) {
  const std::size_t first = FirstNonBlank(units, line);
  if (first == line.end || units.At(first) != L'[') return false;
  for (std::size_t at = first; at < line.end; at += units.Width()) {
    if (units.At(at) == L']') return true;
  }
  return false;
}

// Where the value of a key line named `key` begins (after "=" and the blanks after it), or
// `line.end` when the line has no "="; npos when the line is not that key's.
std::size_t KeyValueStart(const FeedUnits& units, const Line& line, const std::wstring& key) {
  std::wstring name;
  std::size_t at = line.begin;
  for (; at < line.end && units.At(at) != L'='; at += units.Width()) name += units.At(at);
  while (!name.empty() && IsBlank(name.back())) name.pop_back();
  std::size_t first = 0;
  while (first < name.size() && IsBlank(name[first])) ++first;
  if (FoldIniName(name.substr(first)) != FoldIniName(key)) return std::wstring::npos;
  if (at == line.end) return at;
  for (at += units.Width(); at < line.end && IsBlank(units.At(at));) at += units.Width();
  return at;
}

}  // namespace

std::vector<std::string> SplitAtSectionLines(const std::string& bytes) {
  const FeedUnits units(bytes);
  std::vector<std::string> parts;
  std::size_t partBegin = 0;
  for (const Line& line : SplitLines(units)) {
    if (!IsSectionLine(units, line)) continue;
    parts.push_back(bytes.substr(partBegin, line.begin - partBegin));
    partBegin = line.begin;
  }
  parts.push_back(bytes.substr(partBegin));
  return parts;
}

std::string WithIniValue(const std::string& bytes, const std::wstring& section,
                         const std::wstring& key, const std::wstring& value) {
  const FeedUnits units(bytes);
  const std::vector<Line> lines = SplitLines(units);
  const std::wstring wanted = FoldIniName(section);
  std::size_t at = 0;
  while (at < lines.size() &&
         !(IsSectionLine(units, lines[at]) &&
           FoldIniName(units.SectionName(lines[at].begin, lines[at].end)) == wanted)) {
    ++at;
  }
  if (at == lines.size()) return bytes;
  const Line* lastKey = &lines[at];
  for (++at; at < lines.size() && !IsSectionLine(units, lines[at]); ++at) {
    const Line& line = lines[at];
    const std::size_t first = FirstNonBlank(units, line);
    if (first == line.end || units.At(first) == L';') continue;
    lastKey = &line;
    const std::size_t valueStart = KeyValueStart(units, line, key);
    if (valueStart == std::wstring::npos) continue;
    const std::wstring separator = valueStart == line.end ? L"=" : L"";
    return bytes.substr(0, valueStart) + units.Encode(separator + value) + bytes.substr(line.end);
  }
  const std::string added = units.Encode(key + L"=" + value);
  if (lastKey->next > lastKey->end) {
    const std::string lineEnd = bytes.substr(lastKey->end, lastKey->next - lastKey->end);
    return bytes.substr(0, lastKey->next) + added + lineEnd + bytes.substr(lastKey->next);
  }
  // The last line of a file that does not end with an end of line: the new line becomes the last.
  std::string lineEnd = units.Encode(L"\r\n");
  for (const Line& line : lines) {
    if (line.next > line.end) {
      lineEnd = bytes.substr(line.end, line.next - line.end);
      break;
    }
  }
  return bytes.substr(0, lastKey->next) + lineEnd + added + bytes.substr(lastKey->next);
}

}  // namespace updater
