#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "catalogue/ServerMessage.h"
#include "catalogue/UpdateInfo.h"
#include "ui/FormatRange.h"

namespace updater {

// The texts come from the server: a document shows at most this many characters of them, lines
// past it are left out and the line that reaches it is cut.
constexpr std::size_t kMaxDocumentText = 32768;

// The RTF of an update's description pane; `ranges` receives the formatting to apply after it is
// streamed in. A single update (SingleUpdate flag) opens with its name in bold and `sizeLine`
// (the whole line, "Update size: 1.5 MB"); then come the description lines and the sections of
// features, enhancements and bug fixes, each a bulleted list under its title.
std::string BuildUpdateDescription(const UpdateInfo& update, const std::wstring& featuresTitle,
                                   const std::wstring& bugFixesTitle,
                                   const std::wstring& enhancementsTitle,
                                   const std::wstring& sizeLine, std::vector<FormatRange>* ranges);

// The RTF of a server message: its title in bold, an empty line, the body indented by two blanks
// and followed by the message's link.
std::string BuildMessageDocument(const ServerMessage& message, std::vector<FormatRange>* ranges);

}  // namespace updater
