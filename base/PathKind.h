#pragma once

#include <string>

namespace updater {

enum class PathKind {
  None,    // nothing there, or nothing this process may read the attributes of
  File,
  Folder,
  Link,    // a junction or symbolic link, to a file, a folder or nothing
};

// What `path` names, the link itself rather than what it points at: a file or folder that others
// may write into can be replaced by a link that sends what is written or run there elsewhere.
PathKind PathKindOf(const std::wstring& path);

}  // namespace updater
