#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace updater {

// The installers that earlier downloads left in the downloads folder (downloads folder \ section
// \ file), newest first by last change, at most `count` of them: not `except`, no partial file,
// nothing larger than a download can be, and nothing reached through a junction or symbolic link.
// A delta download copies what blocks it can from them, and checks what it puts together, so the
// files are only ever read.
std::vector<std::wstring> FindKeptInstallers(const std::wstring& downloadsFolder,
                                             const std::wstring& except, std::size_t count);

}  // namespace updater
