#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "ui/FormatRange.h"

namespace updater {

// The class of the rich-edit controls that show formatted text.
constexpr wchar_t kRichEditClass[] = L"RichEdit20W";

// Loads riched20.dll from the system folder by its full path, never from the search path, where
// a planted copy beside the executable or in the current folder would be taken instead.
ModuleHandle LoadRichEditLibrary();

// Replaces the control's text with the RTF document; the text limit is raised to the document's
// length first, since the default 32767 characters would cut a long description.
ResultCode StreamRtf(HWND control, const std::string& rtf);

// Gives each range's characters its effect, in the order of the list, and leaves the caret at the
// start with nothing selected.
void ApplyRanges(HWND control, const std::vector<FormatRange>& ranges);

}  // namespace updater
