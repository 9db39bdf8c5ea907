#pragma once

#include "base/ResultCode.h"
#include "base/UniqueHandle.h"
#include "catalogue/UpdateInfo.h"

namespace updater {

// Opens the update's downloaded installer so that others may read it (the shell, the loader,
// Windows Installer) but not write, rename or delete it, and checks it again as its download was
// checked (CheckContent). Held from that check until the installer has started, it makes what
// runs what was checked, however long the wait for closing applications took. 0 with `held` set,
// the Windows error of opening it, kDownloadFolderIsLink, or the mismatch a download would get.
ResultCode HoldInstaller(const UpdateInfo& update, FileHandle* held);

}  // namespace updater
