#include "catalogue/ReleaseNotes.h"

#include <utility>
#include <vector>

#include "base/TextUtil.h"
#include "catalogue/IniReader.h"

namespace updater {
namespace {

void AppendEscaped(const std::wstring& text, std::wstring* out) {
  for (const wchar_t c : text) {
    if (c == L'&') {
      *out += L"&amp;";
    } else if (c == L'<') {
      *out += L"&lt;";
    } else if (c == L'>') {
      *out += L"&gt;";
    } else {
      out->push_back(c);
    }
  }
}

// A link target inside the markup's double quotes, which have no escape of their own.
std::wstring QuotedTarget(const std::wstring& url) {
  std::wstring quoted;
  for (const wchar_t c : url) {
    if (c == L'"') {
      quoted += L"%22";
    } else {
      quoted.push_back(c);
    }
  }
  return quoted;
}

bool StartsWith(const std::wstring& text, std::size_t at, const wchar_t* prefix) {
  return text.compare(at, std::char_traits<wchar_t>::length(prefix), prefix) == 0;
}

// The first occurrence of a pattern at or after a position, remembered: a hostile text with
// many openers and no closer would otherwise cost a search to its end for each opener.
class NextOccurrence {
 public:
  NextOccurrence(const std::wstring& text, std::wstring pattern)
      : text_(text), pattern_(std::move(pattern)) {}

  std::size_t From(std::size_t from) {
    if (from < from_ || (found_ != std::wstring::npos && found_ < from)) {
      from_ = from;
      found_ = text_.find(pattern_, from);
    }
    return found_;
  }

 private:
  const std::wstring& text_;
  std::wstring pattern_;
  std::size_t from_ = std::wstring::npos;
  std::size_t found_ = std::wstring::npos;
};

// Longer runs of backticks are taken as text.
constexpr std::size_t kMaxBacktickRun = 8;

class InlineConverter {
 public:
  explicit InlineConverter(const std::wstring& text) : text_(text) {
    for (std::size_t run = 1; run <= kMaxBacktickRun; ++run) {
      backticks_.emplace_back(text, std::wstring(run, L'`'));
    }
  }

  // The markup, or the text as written when it holds no element.
  std::wstring Convert() {
    std::wstring markup;
    bool converted = false;
    for (std::size_t at = 0; at < text_.size();) {
      const std::size_t run = BacktickRun(at);
      if (run > kMaxBacktickRun) {
        markup.append(text_, at, run);
        at += run;
      } else if (ConvertElement(&at, &markup)) {
        converted = true;
      } else {
        AppendEscaped(std::wstring(1, text_[at++]), &markup);
      }
    }
    return converted ? markup : text_;
  }

 private:
  // Converts the element that starts at `at`, if one does: appends its markup and moves `at`
  // past it.
  bool ConvertElement(std::size_t* at, std::wstring* markup) {
    const std::size_t begin = *at;
    std::size_t close = std::wstring::npos;
    if (const std::size_t run = BacktickRun(begin); run != 0) {
      close = backticks_[run - 1].From(begin + run);
      if (close == std::wstring::npos) return false;
      Append(L"<code>", Trim(text_.substr(begin + run, close - begin - run)), L"</code>",
             markup);
      *at = close + run;
      return true;
    }
    if (StartsWith(text_, begin, L"**")) {
      close = strong_.From(begin + 2);
      if (close == std::wstring::npos || close == begin + 2) return false;
      Append(L"<b>", text_.substr(begin + 2, close - begin - 2), L"</b>", markup);
      *at = close + 2;
      return true;
    }
    if (StartsWith(text_, begin, L"<http://") || StartsWith(text_, begin, L"<https://")) {
      close = angle_.From(begin);
      if (close == std::wstring::npos || blank_.From(begin) < close) return false;
      AppendLink(text_.substr(begin + 1, close - begin - 1), text_.substr(begin + 1, close - begin - 1),
                 markup);
      *at = close + 1;
      return true;
    }
    const std::size_t label = text_[begin] == L'!' ? begin + 1 : begin;
    if (label >= text_.size() || text_[label] != L'[') return false;
    const std::size_t labelEnd = linkMiddle_.From(label);
    if (labelEnd == std::wstring::npos) return false;
    close = parenthesis_.From(labelEnd + 2);
    if (close == std::wstring::npos || blank_.From(labelEnd + 2) < close ||
        close == labelEnd + 2) {
      return false;
    }
    AppendLink(text_.substr(labelEnd + 2, close - labelEnd - 2),
               text_.substr(label + 1, labelEnd - label - 1), markup);
    *at = close + 1;
    return true;
  }

  std::size_t BacktickRun(std::size_t at) const {
    std::size_t run = 0;
    while (at + run < text_.size() && text_[at + run] == L'`') ++run;
    return run;
  }

  // The opening tag as a string: a link's target may hold a NUL, which a C string would end at.
  static void Append(const std::wstring& open, const std::wstring& content, const wchar_t* close,
                     std::wstring* markup) {
    *markup += open;
    AppendEscaped(content, markup);
    *markup += close;
  }

  static void AppendLink(const std::wstring& url, const std::wstring& label,
                         std::wstring* markup) {
    Append(L"<a href=\"" + QuotedTarget(url) + L"\">", label, L"</a>", markup);
  }

  const std::wstring& text_;
  std::vector<NextOccurrence> backticks_;
  NextOccurrence strong_{text_, L"**"};
  NextOccurrence angle_{text_, L">"};
  NextOccurrence blank_{text_, L" "};
  NextOccurrence linkMiddle_{text_, L"]("};
  NextOccurrence parenthesis_{text_, L")"};
};

// The text of an ATX heading ("#" to "######", then a blank or nothing); false for other lines.
bool HeadingText(const std::wstring& line, std::wstring* text) {
  std::size_t level = 0;
  while (level < line.size() && line[level] == L'#') ++level;
  if (level == 0 || level > 6) return false;
  if (level < line.size() && line[level] != L' ' && line[level] != L'\t') return false;
  *text = Trim(line.substr(level));
  return true;
}

// Where the text of a list entry starts ("-", "*", "+", or digits and "." or ")", then a blank);
// 0 when the line is none.
std::size_t ListEntryText(const std::wstring& line) {
  std::size_t marker = 0;
  if (!line.empty() && (line[0] == L'-' || line[0] == L'*' || line[0] == L'+')) {
    marker = 1;
  } else {
    while (marker < line.size() && IsAsciiDigit(line[marker])) ++marker;
    if (marker == 0 || marker >= line.size() || (line[marker] != L'.' && line[marker] != L')')) {
      return 0;
    }
    ++marker;
  }
  if (marker >= line.size() || (line[marker] != L' ' && line[marker] != L'\t')) return 0;
  return marker + 1;
}

class NotesReader {
 public:
  explicit NotesReader(UpdateInfo* update) : update_(update), items_(&update->descriptions) {}

  void ReadLine(const std::wstring& rawLine) {
    const std::wstring line = Trim(rawLine);
    std::wstring heading;
    if (line.empty()) {
      Flush();
    } else if (HeadingText(line, &heading)) {
      Flush();
      items_ = GroupOf(heading);
      if (items_ == &update_->descriptions) items_->push_back(ConvertInlineMarkdown(heading));
    } else if (const std::size_t text = ListEntryText(line); text != 0) {
      Flush();
      paragraph_ = Trim(line.substr(text));
    } else {
      paragraph_ += paragraph_.empty() ? line : L" " + line;
    }
  }

  void Flush() {
    if (!paragraph_.empty()) items_->push_back(ConvertInlineMarkdown(paragraph_));
    paragraph_.clear();
  }

 private:
  std::vector<std::wstring>* GroupOf(const std::wstring& heading) {
    if (heading == L"Features") return &update_->features.items;
    if (heading == L"Enhancements") return &update_->enhancements.items;
    if (heading == L"Bug Fixes") return &update_->bugFixes.items;
    return &update_->descriptions;
  }

  UpdateInfo* update_;
  std::vector<std::wstring>* items_;
  std::wstring paragraph_;
};

}  // namespace

std::wstring ConvertInlineMarkdown(const std::wstring& text) {
  return InlineConverter(text).Convert();
}

void ReadReleaseNotes(const std::wstring& markdown, UpdateInfo* update) {
  NotesReader reader(update);
  const std::wstring text = markdown + L"\r\n";
  for (std::size_t begin = 0; begin < text.size();) {
    const std::size_t end = text.find(L'\n', begin);
    reader.ReadLine(text.substr(begin, end - begin));
    begin = end + 1;
  }
  reader.Flush();
}

}  // namespace updater
