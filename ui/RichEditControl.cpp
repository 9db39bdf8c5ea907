#include "ui/RichEditControl.h"

#include <richedit.h>

#include <cstring>

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

void AddEffect(const FormatRange& range, CHARFORMAT2W* format) {
  switch (range.kind) {
    case FormatKind::Link:
      format->dwMask |= CFM_LINK;
      format->dwEffects |= CFE_LINK;
      break;
    case FormatKind::Bold:
      format->dwMask |= CFM_BOLD;
      format->dwEffects |= CFE_BOLD;
      break;
    case FormatKind::Italic:
      format->dwMask |= CFM_ITALIC;
      format->dwEffects |= CFE_ITALIC;
      break;
    case FormatKind::Colour:
      format->dwMask |= CFM_COLOR;
      format->crTextColor = range.colour;
      break;
    case FormatKind::Subscript:
      format->dwMask |= CFM_SUBSCRIPT | CFM_SUPERSCRIPT;
      format->dwEffects |= CFE_SUBSCRIPT;
      break;
    case FormatKind::Superscript:
      format->dwMask |= CFM_SUBSCRIPT | CFM_SUPERSCRIPT;
      format->dwEffects |= CFE_SUPERSCRIPT;
      break;
    case FormatKind::Underline:
      format->dwMask |= CFM_UNDERLINE;
      format->dwEffects |= CFE_UNDERLINE;
      break;
    case FormatKind::Code:
      format->dwMask |= CFM_BACKCOLOR;
      format->crBackColor = range.colour;
      break;
  }
}

}  // namespace

ModuleHandle LoadRichEditLibrary() {
  wchar_t folder[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return ModuleHandle();
  return ModuleHandle(LoadLibraryW((std::wstring(folder) + L"\\riched20.dll").c_str()));
}

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
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    AddEffect(range, &format);
    SendMessageW(control, EM_SETCHARFORMAT, SCF_SELECTION, reinterpret_cast<LPARAM>(&format));
  }
  CHARRANGE start = {0, 0};
  SendMessageW(control, EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&start));
}

}  // namespace updater
