#include "ui/DescriptionDocument.h"

#include <cstdint>

#include "ui/Markup.h"
#include "ui/RtfText.h"

namespace updater {
namespace {

constexpr char kLineEnd[] = "\\par\n";
constexpr char kBulletList[] =
    "\\pard{\\pntext\\f1\\'B7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\'B7}}"
    "\\fi-180\\li400\\b0\\f0 ";
constexpr char kNextBullet[] = "{\\pntext\\f1\\'B7\\tab}";

// The lines that fit into what is left of the document's budget; each costs its length and its
// paragraph end.
std::vector<std::wstring> Bounded(const std::vector<std::wstring>& lines, std::size_t* budget) {
  std::vector<std::wstring> kept;
  for (const std::wstring& line : lines) {
    if (*budget == 0) break;
    kept.push_back(line.substr(0, *budget - 1));
    *budget -= kept.back().size() + 1;
  }
  return kept;
}

// Appends converted lines to the RTF and keeps the character position of the control's text.
class DocumentWriter {
 public:
  explicit DocumentWriter(std::vector<FormatRange>* ranges)
      : rtf_(SystemRtfHeader()), ranges_(ranges) {}

  void Line(const std::wstring& line, const char* ending) {
    rtf_ += EscapeRtf(ConvertMarkup(line, &position_, ranges_));
    rtf_ += ending;
  }
  // An empty paragraph.
  void Skip(const char* rtf) {
    rtf_ += rtf;
    ++position_;
  }
  void Section(const std::wstring& title, const std::vector<std::wstring>& items) {
    ++position_;
    rtf_ += "\\pard\\li144\\b\\f2\\par " + EscapeRtf(title) + "\\par";
    position_ += static_cast<std::int32_t>(title.size()) + 1;
    rtf_ += kBulletList;
    for (std::size_t k = 0; k < items.size(); ++k) {
      if (k > 0) rtf_ += kNextBullet;
      Line(items[k], "\\par");
    }
  }
  std::string Finish() { return rtf_ + "}"; }

 private:
  std::string rtf_;
  std::vector<FormatRange>* ranges_;
  std::int32_t position_ = 0;
};

}  // namespace

std::string BuildUpdateDescription(const UpdateInfo& update, const std::wstring& featuresTitle,
                                   const std::wstring& bugFixesTitle,
                                   const std::wstring& enhancementsTitle,
                                   const std::wstring& sizeLine, std::vector<FormatRange>* ranges) {
  DocumentWriter out(ranges);
  std::size_t budget = kMaxDocumentText;
  const bool single = update.HasFlag(kUpdateSingleUpdate);
  if (single) {
    for (const std::wstring& line :
         Bounded({L"<b>" + EscapeMarkup(update.name) + L"</b>", sizeLine}, &budget)) {
      out.Line(line, kLineEnd);
    }
  }
  const std::vector<std::wstring> descriptions = Bounded(update.descriptions, &budget);
  for (std::size_t k = 0; k < descriptions.size(); ++k) {
    if (k == 0 && single) out.Skip(kLineEnd);
    out.Line(descriptions[k], kLineEnd);
  }
  const std::pair<const DescriptionGroup*, const std::wstring*> sections[] = {
      {&update.features, &featuresTitle},
      {&update.enhancements, &enhancementsTitle},
      {&update.bugFixes, &bugFixesTitle}};
  for (const auto& [group, title] : sections) {
    const std::vector<std::wstring> items = Bounded(group->items, &budget);
    if (!items.empty()) out.Section(*title, items);
  }
  return out.Finish();
}

std::string BuildMessageDocument(const ServerMessage& message, std::vector<FormatRange>* ranges) {
  std::wstring body = L"  " + message.body;
  if (!message.uri.empty()) {
    // A link without a text of its own shows its address, so that there is something to click.
    const std::wstring text =
        message.buttonText.empty() ? EscapeMarkup(message.uri) : message.buttonText;
    body += L" <a href=\"" + message.uri + L"\">" + text + L"</a>";
  }
  std::size_t budget = kMaxDocumentText;
  const std::vector<std::wstring> lines =
      Bounded({L"<b>" + message.title + L"</b>", body}, &budget);
  DocumentWriter out(ranges);
  out.Line(lines[0], kLineEnd);
  out.Skip(kLineEnd);
  if (lines.size() > 1) out.Line(lines[1], kLineEnd);
  return out.Finish();
}

}  // namespace updater
