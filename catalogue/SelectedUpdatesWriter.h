#pragma once

#include <functional>
#include <string>

#include "base/ResultCode.h"
#include "catalogue/IniReader.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// Writes the publisher's message into [General] of the selected-updates file; supplied by the
// message subsystem.
using ServerMessageWriter = std::function<ResultCode(const IniReader& writer)>;

// Writes one update as a section named after it, through the keys of UpdateSectionKeys in the
// form that ServerConfig reads back. Empty values are left out. Returns 0 or the Windows error of
// the first failed write.
ResultCode WriteUpdateSection(const IniReader& writer, const UpdateInfo& update);

// Replaces the file at `path` with the needed updates of `list` (Evaluated set; with criticalOnly
// only the critical ones) in list order, UTF-16 with a byte-order mark when the list was read
// from UTF-16, then the server message when a writer for it is given. The file has no ";qzu;"
// line: it is read back without the header check.
ResultCode WriteSelectedUpdates(const std::wstring& path, const UpdateList& list, bool criticalOnly,
                                const ServerMessageWriter& writeMessage = nullptr);

}  // namespace updater
