#pragma once

#include <string>

namespace updater {

// `text` in the ANSI code page of the system; characters it lacks become its default character.
std::string ToAnsiText(const std::wstring& text);

}  // namespace updater
