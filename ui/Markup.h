#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ui/FormatRange.h"

namespace updater {

// Writes "&", "<" and ">" as their entities, so that ConvertMarkup shows the text as it is.
std::wstring EscapeMarkup(const std::wstring& text);

// The plain text of one line of markup (elements a, b, i, font, sub, sup, u, code; br; the
// entities &lt; &gt; &amp;). When every element is closed and at least one was found, returns
// the text without markup and appends the line's ranges, counted from `*position`; otherwise the
// line is returned as written and adds no range. `*position` then stands after the line and its
// paragraph end.
std::wstring ConvertMarkup(const std::wstring& line, std::int32_t* position,
                           std::vector<FormatRange>* ranges);

}  // namespace updater
