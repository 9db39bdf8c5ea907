#include "ui/Markup.h"

#include <windows.h>

#include <iterator>

namespace updater {
namespace {

struct KnownElement {
  const wchar_t* name;
  FormatKind kind;
};

constexpr KnownElement kElements[] = {
    {L"a", FormatKind::Link},        {L"b", FormatKind::Bold},
    {L"i", FormatKind::Italic},      {L"font", FormatKind::Colour},
    {L"sub", FormatKind::Subscript}, {L"sup", FormatKind::Superscript},
    {L"u", FormatKind::Underline},   {L"code", FormatKind::Code},
};

struct Entity {
  const wchar_t* text;
  wchar_t character;
};

constexpr Entity kEntities[] = {{L"&lt;", L'<'}, {L"&gt;", L'>'}, {L"&amp;", L'&'}};

bool IsAsciiLetter(wchar_t c) { return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z'); }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

// "#RRGGBB"; anything else is black.
COLORREF ParseColour(const std::wstring& value) {
  if (value.size() != 7 || value[0] != L'#') return 0;
  int bytes[3];
  for (int k = 0; k < 3; ++k) {
    const int high = HexDigit(value[1 + 2 * k]);
    const int low = HexDigit(value[2 + 2 * k]);
    if (high < 0 || low < 0) return 0;
    bytes[k] = high * 16 + low;
  }
  return RGB(bytes[0], bytes[1], bytes[2]);
}

// Reads one line of markup; any deviation from the grammar makes Convert() return false.
class MarkupReader {
 public:
  MarkupReader(const std::wstring& line, std::int32_t position)
      : line_(line), position_(position) {}

  bool Convert() {
    while (at_ < line_.size()) {
      if (line_[at_] == L'<') {
        ++at_;
        if (!(Peek(L'/') ? CloseElement() : OpenTag())) return false;
      } else {
        ReadText();
      }
    }
    return open_.empty() && !ranges_.empty();
  }

  std::wstring TakeText() { return std::move(text_); }
  std::vector<FormatRange>& Ranges() { return ranges_; }
  std::int32_t Position() const { return position_; }

 private:
  bool Peek(wchar_t c) const { return at_ < line_.size() && line_[at_] == c; }
  void SkipBlanks() {
    while (Peek(L' ') || Peek(L'\t')) ++at_;
  }
  std::wstring ReadName() {
    const std::size_t begin = at_;
    while (at_ < line_.size() && IsAsciiLetter(line_[at_])) ++at_;
    return line_.substr(begin, at_ - begin);
  }

  void ReadText() {
    wchar_t c = line_[at_++];
    if (c == L'&') {
      for (const Entity& entity : kEntities) {
        if (line_.compare(at_ - 1, wcslen(entity.text), entity.text) == 0) {
          c = entity.character;
          at_ += wcslen(entity.text) - 1;
          break;
        }
      }
    }
    text_.push_back(c);
    ++position_;
  }

  // A closing tag ends the innermost open element, whatever name it carries.
  bool CloseElement() {
    ++at_;
    ReadName();
    SkipBlanks();
    if (!Peek(L'>') || open_.empty()) return false;
    ++at_;
    open_.back().end = position_;
    ranges_.push_back(std::move(open_.back()));
    open_.pop_back();
    return true;
  }

  bool OpenTag() {
    const std::wstring name = ReadName();
    const bool lineBreak = name == L"br";
    const KnownElement* known = nullptr;
    for (const KnownElement& element : kElements) {
      if (name == element.name) known = &element;
    }
    if (known == nullptr && !lineBreak) return false;
    FormatRange element;
    element.start = position_;
    if (known != nullptr) element.kind = known->kind;
    for (;;) {
      SkipBlanks();
      if (Peek(L'>')) break;
      const std::wstring attribute = ReadName();
      if (attribute.empty() || !Peek(L'=')) return false;
      ++at_;
      if (!Peek(L'"')) return false;
      const std::size_t close = line_.find(L'"', at_ + 1);
      if (close == std::wstring::npos) return false;
      const std::wstring value = line_.substr(at_ + 1, close - at_ - 1);
      at_ = close + 1;
      // An attribute belongs to the element its tag opens; a line break takes none.
      if (known != nullptr && element.kind == FormatKind::Link && attribute == L"href") {
        element.target = value;
      } else if (known != nullptr && element.kind == FormatKind::Colour && attribute == L"color") {
        element.colour = ParseColour(value);
      } else {
        return false;
      }
    }
    ++at_;
    if (lineBreak) {
      // The control keeps the pair as one paragraph mark: one character position.
      text_ += L"\r\n";
      ++position_;
    } else {
      open_.push_back(std::move(element));
    }
    return true;
  }

  const std::wstring& line_;
  std::int32_t position_;
  std::size_t at_ = 0;
  std::wstring text_;
  std::vector<FormatRange> open_;
  std::vector<FormatRange> ranges_;
};

}  // namespace

std::wstring EscapeMarkup(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (const wchar_t c : text) {
    const wchar_t* replacement = nullptr;
    for (const Entity& entity : kEntities) {
      if (entity.character == c) replacement = entity.text;
    }
    if (replacement != nullptr) {
      escaped += replacement;
    } else {
      escaped.push_back(c);
    }
  }
  return escaped;
}

std::wstring ConvertMarkup(const std::wstring& line, std::int32_t* position,
                           std::vector<FormatRange>* ranges) {
  MarkupReader reader(line, *position);
  if (!reader.Convert()) {
    *position += static_cast<std::int32_t>(line.size()) + 1;
    return line;
  }
  *position = reader.Position() + 1;
  std::move(reader.Ranges().begin(), reader.Ranges().end(), std::back_inserter(*ranges));
  return reader.TakeText();
}

}  // namespace updater
