#include "ui/RichEditControl.h"

#include <richedit.h>

#include <cstring>

#include "base/SystemLibrary.h"

namespace updater {
namespace {

struct StreamSource {
  const std::string* text;
  std::size_t offset;
};

DWORD CALLBACK ReadSource(DWORD_PTR cookie, BYTE* buffer, LONG size, LONG* read) {
  StreamSource& source = *reinterpret_cast<StreamSource*>(cookie);
  const std::size_t left = source.text->size() - source.offset;
  const std::size_t count = left < static_cast<std::size_t>(size) ? left : size;
  std::memcpy(buffer, source.text->data() + source.offset, count);
  source.offset += count;
  *read = static_cast<LONG>(count);
  return 0;
}

struct Effect {
  DWORD mask;
  DWORD effects;
};

// By FormatKind. The colour kinds leave CFE_AUTOCOLOR and CFE_AUTOBACKCOLOR out of the effects,
// which turns the range's own colour on.
constexpr Effect kEffects[] = {
    {CFM_LINK, CFE_LINK},
    {CFM_BOLD, CFE_BOLD},
    {CFM_ITALIC, CFE_ITALIC},
    {CFM_COLOR, 0},
    {CFM_SUBSCRIPT | CFM_SUPERSCRIPT, CFE_SUBSCRIPT},
    {CFM_SUBSCRIPT | CFM_SUPERSCRIPT, CFE_SUPERSCRIPT},
    {CFM_UNDERLINE, CFE_UNDERLINE},
    {CFM_BACKCOLOR, 0},
};

}  // namespace

ModuleHandle LoadRichEditLibrary() { return ModuleHandle(LoadSystemLibrary(L"riched20.dll")); }

ResultCode StreamRtf(HWND control, const std::string& rtf) {
  SendMessageW(control, EM_EXLIMITTEXT, 0, static_cast<LPARAM>(rtf.size()));
  StreamSource source{&rtf, 0};
  EDITSTREAM stream = {};
  stream.dwCookie = reinterpret_cast<DWORD_PTR>(&source);
  stream.pfnCallback = &ReadSource;
  SendMessageW(control, EM_STREAMIN, SF_RTF, reinterpret_cast<LPARAM>(&stream));
  return stream.dwError;
}

void ApplyRanges(HWND control, const std::vector<FormatRange>& ranges) {
  for (const FormatRange& range : ranges) {
    CHARRANGE selection = {range.start, range.end};
    SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&selection));
    // Only the effect's own mask is written, so that the formats already inside the range stay.
    const Effect& effect = kEffects[static_cast<int>(range.kind)];
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = effect.mask;
    format.dwEffects = effect.effects;
    format.crTextColor = range.colour;
    // Code is set off by the face colour the system has when it is shown.
    format.crBackColor = range.kind == FormatKind::Code ? GetSysColor(COLOR_3DFACE) : range.colour;
    SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  CHARRANGE start = {0, 0};
  SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
}

}  // namespace updater
